#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/SystemBridges.h"

namespace tactora::sim {

// The Dock's notification entry point and the window server's symbolic hot keys, with a hot-key
// table a test can set. By default both entry points exist and the table holds the usual space
// bindings: 79 Control-Left Arrow (key code 123) and 81 Control-Right Arrow (124), both enabled.
// Functions handed out read and write this object for as long as it lives.
class SimSystemBridges : public platform::SystemBridges {
 public:
  enum class HotKeyCallKind { getValue, setEnabled, isEnabled };
  struct HotKeyCall {
    HotKeyCallKind kind;
    std::uint32_t connection;
    std::uint32_t hotKey;
    bool enabled;  // the argument of setEnabled
    friend bool operator==(const HotKeyCall&, const HotKeyCall&) = default;
  };
  static constexpr std::uint32_t mainConnectionID = 0x5a5a;

  SimSystemBridges();

  platform::DockNotificationFunction loadDockNotificationFunction() override;
  platform::HotKeyFunctions loadHotKeyFunctions() override;

  void setDockFunctionAvailable(bool available);
  // All three hot-key functions and the main connection at once.
  void setHotKeyFunctionsAvailable(bool available);
  void setHotKey(std::uint32_t hotKey, const platform::HotKeyValue& value);
  // The stored binding; zero when the table has none.
  platform::HotKeyValue hotKey(std::uint32_t hotKey) const;

  std::vector<std::string> dockNotifications() const;
  std::vector<HotKeyCall> hotKeyCalls() const;
  void clearRecords();

 private:
  mutable std::mutex mutex_;
  bool dockAvailable_ = true;
  bool hotKeysAvailable_ = true;
  std::map<std::uint32_t, platform::HotKeyValue> table_;
  std::vector<std::string> dockNotifications_;
  std::vector<HotKeyCall> hotKeyCalls_;
};

}  // namespace tactora::sim
