#include "Platform/sim/SimPreferences.h"

namespace tactora::sim {

std::optional<std::string> SimPreferences::string(const std::string& key) {
  std::lock_guard lock(mutex_);
  const auto found = defaults_.find(key);
  return found != defaults_.end() ? std::optional(found->second) : std::nullopt;
}

void SimPreferences::setString(const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  defaults_[key] = value;
}

void SimPreferences::removeObject(const std::string& key) {
  std::lock_guard lock(mutex_);
  defaults_.erase(key);
}

std::optional<std::int64_t> SimPreferences::foreignInteger(const std::string& key,
                                                           const std::string& applicationID) {
  std::lock_guard lock(mutex_);
  const auto found = foreign_.find({key, applicationID});
  return found != foreign_.end() ? std::optional(found->second) : std::nullopt;
}

void SimPreferences::setForeignInteger(const std::string& key, const std::string& applicationID,
                                       std::optional<std::int64_t> value) {
  std::lock_guard lock(mutex_);
  if (value) {
    foreign_[{key, applicationID}] = *value;
  } else {
    foreign_.erase({key, applicationID});
  }
}

}  // namespace tactora::sim
