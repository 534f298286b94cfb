#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/SystemBridges.h"
#include "Platform/sim/RecordStream.h"

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
  // Called right after each notification or hot-key call, on the calling thread and outside
  // every lock, so output can interleave with posted events in the order things happened. The
  // hot-key observer also gets the binding the call read or left in the table (none when the
  // table has none). Null clears. With `keep` false calls are only shown to the observers, not
  // kept (a long replay would otherwise hold every one).
  using HotKeyObserver = std::function<void(const HotKeyCall& call,
                                            const std::optional<platform::HotKeyValue>& binding)>;
  void setKeepsRecords(bool keep);
  void setDockNotificationObserver(std::function<void(const std::string& name)> observer);
  void setHotKeyObserver(HotKeyObserver observer);

 private:
  mutable std::mutex mutex_;
  bool dockAvailable_ = true;
  bool hotKeysAvailable_ = true;
  std::map<std::uint32_t, platform::HotKeyValue> table_;
  RecordStream<std::string> dockNotifications_;
  RecordStream<HotKeyCall, std::optional<platform::HotKeyValue>> hotKeyCalls_;

  // Applies `call` to the table when it sets, records it, shows it to the observer with the
  // binding it read or left, and returns that binding.
  std::optional<platform::HotKeyValue> hotKeyCall(const HotKeyCall& call);
  std::optional<platform::HotKeyValue> bindingLocked(std::uint32_t hotKey) const;
};

}  // namespace tactora::sim
