#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Preferences.h"

namespace tactora::sim {

// User defaults and foreign preferences kept in memory.
class SimPreferences : public platform::Preferences {
 public:
  std::optional<std::string> string(const std::string& key) override;
  void setString(const std::string& key, const std::string& value) override;
  void removeObject(const std::string& key) override;
  std::optional<std::int64_t> foreignInteger(const std::string& key,
                                             const std::string& applicationID) override;

  void setForeignInteger(const std::string& key, const std::string& applicationID,
                         std::optional<std::int64_t> value);

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> defaults_;
  std::map<std::pair<std::string, std::string>, std::int64_t> foreign_;
};

}  // namespace tactora::sim
