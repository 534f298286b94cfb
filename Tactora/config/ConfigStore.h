#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Tactora/config/Configuration.h"

namespace tactora {

// Owns config.json and the configuration in force. Loads (repairing or migrating) once when it is
// created, publishes every saved value as an immutable snapshot and writes it atomically. Create
// and save on the main thread; `current` may be read from any thread.
//
// The user's file is never lost: a file that is replaced because it was rejected or migrated is
// first copied to a backup that is on the disk, and until that copy succeeds the file stays as it
// is while the application runs on the value in memory. A file that exists but cannot be read is
// never written over.
class ConfigStore {
 public:
  using Observer = std::function<void(const Configuration&)>;
  using WallClock = std::function<std::chrono::system_clock::time_point()>;
  // A fresh UUID in its canonical upper-case 36-character form.
  using UUIDSource = std::function<std::string()>;

  // Empty functions take the system clock and random UUIDs.
  explicit ConfigStore(std::optional<std::filesystem::path> directory = std::nullopt,
                       WallClock wallClock = {}, UUIDSource uuidSource = {});
  ConfigStore(const ConfigStore&) = delete;
  ConfigStore& operator=(const ConfigStore&) = delete;

  // $XDG_CONFIG_HOME/Tactora, or ~/.config/Tactora when that is unset or not absolute.
  static std::filesystem::path defaultDirectory();
  // The same rule over a given environment lookup, for tests.
  static std::filesystem::path defaultDirectory(
      const std::function<std::optional<std::string>(const char*)>& environment);

  const std::filesystem::path& directoryURL() const { return directoryURL_; }
  const std::filesystem::path& fileURL() const { return fileURL_; }

  // The value in force. The snapshot never changes; a save publishes a new one.
  std::shared_ptr<const Configuration> current() const;

  // Makes `configuration` current, writes it, then calls every observer in registration order,
  // also when writing failed (the failure is logged).
  void save(const Configuration& configuration);
  void addObserver(Observer observer);

 private:
  struct Loaded {
    Configuration configuration;
    bool needsWrite = false;
  };
  // The bytes of a rejected (no version) or migrated file, to be copied aside before the file is
  // replaced.
  struct PendingBackup {
    std::string bytes;
    std::optional<std::int64_t> migratedFromVersion;
  };

  Loaded load();
  void publish(Configuration configuration);
  // Writes the file; an error description when it could not.
  std::optional<std::string> write(const Configuration& configuration);
  // Makes the pending backup; an error description when it could not.
  std::optional<std::string> backUp(const PendingBackup& backup);
  std::optional<std::string> backUpCorrupt(const std::string& bytes);
  std::optional<std::string> backUpVersion(const std::string& bytes, std::int64_t version);

  std::filesystem::path directoryURL_;
  std::filesystem::path fileURL_;
  WallClock wallClock_;
  UUIDSource uuidSource_;
  std::vector<Observer> observers_;
  std::optional<PendingBackup> pendingBackup_;
  // Why the file on the disk must be left alone (it exists but could not be read).
  std::optional<std::string> keptUnread_;

  // Guards only the swap of the snapshot pointer, so a reader on the gesture thread never waits
  // for a file write.
  mutable std::mutex currentMutex_;
  std::shared_ptr<const Configuration> current_;
};

}  // namespace tactora
