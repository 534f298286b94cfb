#include "Platform/sim/SimSystemBridges.h"
#include "Platform/HotKeyValue.h"

namespace tactora::sim {

namespace {

constexpr std::uint32_t leftArrowKeyCode = 123;
constexpr std::uint32_t rightArrowKeyCode = 124;

}  // namespace

SimSystemBridges::SimSystemBridges() {
  table_[platform::symbolicHotKey::moveLeftASpace] = {0, leftArrowKeyCode,
                                                      platform::hotKeyModifier::control, true};
  table_[platform::symbolicHotKey::moveRightASpace] = {0, rightArrowKeyCode,
                                                       platform::hotKeyModifier::control, true};
}

platform::DockNotificationFunction SimSystemBridges::loadDockNotificationFunction() {
  std::lock_guard lock(mutex_);
  if (!dockAvailable_) {
    return {};
  }
  return [this](std::string_view name, int) -> std::int32_t {
    dockNotifications_.add(std::string(name));
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
    const auto binding = hotKeyCall({HotKeyCallKind::getValue, connection, hotKey, false});
    if (value != nullptr) {
      *value = binding.value_or(platform::HotKeyValue{});
    }
    return binding ? 0 : 1001;
  };
  functions.setEnabled = [this](std::uint32_t connection, std::uint32_t hotKey,
                                bool enabled) -> std::int32_t {
    hotKeyCall({HotKeyCallKind::setEnabled, connection, hotKey, enabled});
    return 0;
  };
  functions.isEnabled = [this](std::uint32_t connection, std::uint32_t hotKey) {
    const auto binding = hotKeyCall({HotKeyCallKind::isEnabled, connection, hotKey, false});
    return binding && binding->enabled;
  };
  return functions;
}

std::optional<platform::HotKeyValue> SimSystemBridges::bindingLocked(std::uint32_t hotKey) const {
  const auto found = table_.find(hotKey);
  return found != table_.end() ? std::optional(found->second) : std::nullopt;
}

std::optional<platform::HotKeyValue> SimSystemBridges::hotKeyCall(const HotKeyCall& call) {
  std::optional<platform::HotKeyValue> binding;
  {
    std::lock_guard lock(mutex_);
    if (call.kind == HotKeyCallKind::setEnabled) {
      table_[call.hotKey].enabled = call.enabled;
    }
    binding = bindingLocked(call.hotKey);
  }
  hotKeyCalls_.add(call, binding);
  return binding;
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
  return bindingLocked(hotKey).value_or(platform::HotKeyValue{});
}

std::vector<std::string> SimSystemBridges::dockNotifications() const {
  return dockNotifications_.records();
}

std::vector<SimSystemBridges::HotKeyCall> SimSystemBridges::hotKeyCalls() const {
  return hotKeyCalls_.records();
}

void SimSystemBridges::clearRecords() {
  dockNotifications_.clear();
  hotKeyCalls_.clear();
}

void SimSystemBridges::setKeepsRecords(bool keep) {
  dockNotifications_.setKeeps(keep);
  hotKeyCalls_.setKeeps(keep);
}

void SimSystemBridges::setDockNotificationObserver(
    std::function<void(const std::string& name)> observer) {
  dockNotifications_.setObserver(std::move(observer));
}

void SimSystemBridges::setHotKeyObserver(HotKeyObserver observer) {
  hotKeyCalls_.setObserver(std::move(observer));
}

}  // namespace tactora::sim
