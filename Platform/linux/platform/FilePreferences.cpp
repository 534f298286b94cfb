#include "Platform/linux/platform/FilePreferences.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "Platform/AtomicFile.h"
#include "Platform/Logger.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"Preferences"};

}  // namespace

FilePreferences::FilePreferences(std::filesystem::path file) : file_(std::move(file)) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file_, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return;  // nothing saved yet
  }
  // Anything but a regular file (a FIFO would block the open) is not read.
  std::ifstream in;
  if (std::filesystem::is_regular_file(status)) {
    in.open(file_, std::ios::binary);
  }
  if (!in.is_open()) {
    // Kept as it is: what it holds may be readable again at the next start.
    unreadable_ = !std::filesystem::is_regular_file(status) ? std::string("not a regular file")
                                                            : std::string(std::strerror(errno));
    logger.error(
        "cannot read %{public}s (%{public}s); starting with no preferences and leaving "
        "the file as it is",
        {file_.string(), *unreadable_});
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
  if (unreadable_) {
    return;  // said once, at start
  }
  if (auto error = platform::AtomicFile::write(file_, nlohmann::json(values_).dump(2) + "\n")) {
    logger.error("cannot save the preferences: %{public}s", {*error});
  }
}

}  // namespace tactora::lx
