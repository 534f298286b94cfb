#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "Platform/Preferences.h"

namespace tactora::lx {

// The application's preferences in one small JSON file of strings, read once at start and
// rewritten whole (AtomicFile) after each change, so a crash never leaves half a file. A
// malformed file reads as empty; a file that exists but cannot be read reads as empty and is
// never written over. No other program's preferences are known here: every foreign value is
// missing.
class FilePreferences final : public platform::Preferences {
 public:
  explicit FilePreferences(std::filesystem::path file);

  std::optional<std::string> string(const std::string& key) override;
  void setString(const std::string& key, const std::string& value) override;
  void removeObject(const std::string& key) override;
  std::optional<std::int64_t> foreignInteger(const std::string& key,
                                             const std::string& applicationID) override;

 private:
  void saveLocked() const;

  const std::filesystem::path file_;
  std::optional<std::string> unreadable_;  // why the file could not be read at start
  std::mutex mutex_;
  std::map<std::string, std::string> values_;
};

}  // namespace tactora::lx
