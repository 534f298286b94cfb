#include "Platform/linux/platform/FilePreferences.h"

#include <fstream>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "Platform/Logger.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"Preferences"};

}  // namespace

FilePreferences::FilePreferences(std::filesystem::path file) : file_(std::move(file)) {
  std::ifstream in(file_);
  if (!in) {
    return;
  }
  const nlohmann::json document = nlohmann::json::parse(in, nullptr, false);
  if (!document.is_object()) {
    logger.error("%{public}s is not a JSON object; starting with no preferences", {file_.string()});
    return;
  }
  for (const auto& [key, value] : document.items()) {
    if (value.is_string()) {
      values_[key] = value.get<std::string>();
    }
  }
}

std::optional<std::string> FilePreferences::string(const std::string& key) {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(key);
  if (found == values_.end()) {
    return std::nullopt;
  }
  return found->second;
}

void FilePreferences::setString(const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  values_[key] = value;
  saveLocked();
}

void FilePreferences::removeObject(const std::string& key) {
  std::lock_guard lock(mutex_);
  if (values_.erase(key) != 0) {
    saveLocked();
  }
}

std::optional<std::int64_t> FilePreferences::foreignInteger(const std::string&,
                                                            const std::string&) {
  return std::nullopt;
}

void FilePreferences::saveLocked() const {
  std::error_code error;
  std::filesystem::create_directories(file_.parent_path(), error);
  std::filesystem::path temporary = file_;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << nlohmann::json(values_).dump(2) << '\n';
    if (!out.flush()) {
      logger.error("cannot write %{public}s", {temporary.string()});
      return;
    }
  }
  std::filesystem::rename(temporary, file_, error);
  if (error) {
    logger.error("cannot replace %{public}s: %{public}s", {file_.string(), error.message()});
  }
}

}  // namespace tactora::lx
