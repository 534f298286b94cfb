#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "Platform/Preferences.h"

namespace tactora::lx {

// The application's preferences in one small JSON file of strings, read once at start and
// rewritten whole (through a temporary file and a rename) after each change, so a crash never
// leaves half a file. An unreadable or malformed file reads as empty. No other program's
// preferences are known here: every foreign value is missing.
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
  std::mutex mutex_;
  std::map<std::string, std::string> values_;
};

}  // namespace tactora::lx
