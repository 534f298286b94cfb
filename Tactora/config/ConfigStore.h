#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Tactora/config/CoalescingWriter.h"
#include "Tactora/config/Configuration.h"

namespace tactora {

// Owns config.json and the configuration in force. Loads (repairing or migrating) once when it is
// created, publishes every saved value as an immutable snapshot and writes it atomically. Create
// and save on the main thread; `current` may be read from any thread.
//
// Files are written on a writer thread of the store's own, so saving never waits for the disk:
// the newest saved value is always the one written last, and the store's destruction waits until
// it is on the disk.
//
// The user's file is never lost: a file that is replaced because it was rejected or migrated is
// first copied to a backup that is on the disk, and until that copy succeeds the file stays as it
// is while the application runs on the value in memory. A file that exists but cannot be read is
// never written over.
class ConfigStore {
 public:
  using Observer = std::function<void(const Configuration&)>;

  // Keeps an observer registered while it lives: destroying or resetting it removes the observer,
  // so an owner that goes away (a closed window) is never called. It may outlive the store.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    ~Subscription() { reset(); }
    void reset();

   private:
    friend class ConfigStore;
    struct Observers;
    Subscription(std::weak_ptr<Observers> observers, std::uint64_t id)
        : observers_(std::move(observers)), id_(id) {}
    std::weak_ptr<Observers> observers_;
    std::uint64_t id_ = 0;
  };

  using WallClock = std::function<std::chrono::system_clock::time_point()>;
  // A fresh UUID in its canonical upper-case 36-character form.
  using UUIDSource = std::function<std::string()>;

  // Empty functions take the system clock and random UUIDs.
  explicit ConfigStore(std::optional<std::filesystem::path> directory = std::nullopt,
                       WallClock wallClock = {}, UUIDSource uuidSource = {});
  // Waits until the last saved value is on the disk.
  ~ConfigStore();
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

  // Makes `configuration` current, hands it to the writer thread, then calls every observer in
  // registration order. A failed write is logged; the value stays current.
  void save(const Configuration& configuration);
  // Registers `observer` for as long as the returned subscription lives.
  [[nodiscard]] Subscription addObserver(Observer observer);
  // Returns once every value saved before is on the disk (or its write failed and was logged).
  void flush() { writer_.flush(); }

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
  std::shared_ptr<Subscription::Observers> observers_;
  std::optional<PendingBackup> pendingBackup_;
  // Why the file on the disk must be left alone (it exists but could not be read). This and the
  // pending backup belong to the writer thread once the store is created.
  std::optional<std::string> keptUnread_;

  // Guards only the swap of the snapshot pointer, so a reader on the gesture thread never waits
  // for a file write.
  mutable std::mutex currentMutex_;
  std::shared_ptr<const Configuration> current_;

  // Last, so that it is destroyed first: the writes still waiting use the members above.
  CoalescingWriter writer_;
};

}  // namespace tactora
