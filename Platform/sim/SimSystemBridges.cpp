#include "Platform/sim/SimSystemBridges.h"

namespace tactora::sim {

namespace {

constexpr std::uint32_t controlModifier = 0x1000;
constexpr std::uint32_t leftArrowKeyCode = 123;
constexpr std::uint32_t rightArrowKeyCode = 124;

}  // namespace

SimSystemBridges::SimSystemBridges() {
  table_[platform::symbolicHotKey::moveLeftASpace] = {0, leftArrowKeyCode, controlModifier, true};
  table_[platform::symbolicHotKey::moveRightASpace] = {0, rightArrowKeyCode, controlModifier, true};
}

platform::DockNotificationFunction SimSystemBridges::loadDockNotificationFunction() {
  std::lock_guard lock(mutex_);
  if (!dockAvailable_) {
    return {};
  }
  return [this](std::string_view name, int) -> std::int32_t {
    std::lock_guard lock(mutex_);
    dockNotifications_.emplace_back(name);
    return 0;
  };
}

platform::HotKeyFunctions SimSystemBridges::loadHotKeyFunctions() {
  std::lock_guard lock(mutex_);
  platform::HotKeyFunctions functions;
  if (!hotKeysAvailable_) {
    return functions;
  }
  functions.connectionID = mainConnectionID;
  functions.getValue = [this](std::uint32_t connection, std::uint32_t hotKey,
                              platform::HotKeyValue* value) -> std::int32_t {
    std::lock_guard lock(mutex_);
    hotKeyCalls_.push_back({HotKeyCallKind::getValue, connection, hotKey, false});
    const auto found = table_.find(hotKey);
    if (value != nullptr) {
      *value = found != table_.end() ? found->second : platform::HotKeyValue{};
    }
    return found != table_.end() ? 0 : 1001;
  };
  functions.setEnabled = [this](std::uint32_t connection, std::uint32_t hotKey,
                                bool enabled) -> std::int32_t {
    std::lock_guard lock(mutex_);
    hotKeyCalls_.push_back({HotKeyCallKind::setEnabled, connection, hotKey, enabled});
    table_[hotKey].enabled = enabled;
    return 0;
  };
  functions.isEnabled = [this](std::uint32_t connection, std::uint32_t hotKey) {
    std::lock_guard lock(mutex_);
    hotKeyCalls_.push_back({HotKeyCallKind::isEnabled, connection, hotKey, false});
    const auto found = table_.find(hotKey);
    return found != table_.end() && found->second.enabled;
  };
  return functions;
}

void SimSystemBridges::setDockFunctionAvailable(bool available) {
  std::lock_guard lock(mutex_);
  dockAvailable_ = available;
}

void SimSystemBridges::setHotKeyFunctionsAvailable(bool available) {
  std::lock_guard lock(mutex_);
  hotKeysAvailable_ = available;
}

void SimSystemBridges::setHotKey(std::uint32_t hotKey, const platform::HotKeyValue& value) {
  std::lock_guard lock(mutex_);
  table_[hotKey] = value;
}

platform::HotKeyValue SimSystemBridges::hotKey(std::uint32_t hotKey) const {
  std::lock_guard lock(mutex_);
  const auto found = table_.find(hotKey);
  return found != table_.end() ? found->second : platform::HotKeyValue{};
}

std::vector<std::string> SimSystemBridges::dockNotifications() const {
  std::lock_guard lock(mutex_);
  return dockNotifications_;
}

std::vector<SimSystemBridges::HotKeyCall> SimSystemBridges::hotKeyCalls() const {
  std::lock_guard lock(mutex_);
  return hotKeyCalls_;
}

void SimSystemBridges::clearRecords() {
  std::lock_guard lock(mutex_);
  dockNotifications_.clear();
  hotKeyCalls_.clear();
}

}  // namespace tactora::sim
