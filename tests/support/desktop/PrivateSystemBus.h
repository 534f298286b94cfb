#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "tests/support/desktop/ChildProcess.h"

namespace tactora::testing {

// A dbus-daemon of the test's own in the place of the system bus: the system bus's type, a policy
// that lets the test own any name (system services' names included), and no service activation,
// so nothing starts unless the test starts it. `enter()` points this process, and every process
// it starts from then on with `currentEnvironment()`, at it (DBUS_SYSTEM_BUS_ADDRESS); dropping it
// stops the daemon and restores the variable.
class PrivateSystemBus {
 public:
  // Null, with the reason in `error`, when the daemon does not start.
  static std::unique_ptr<PrivateSystemBus> start(std::string* error);
  ~PrivateSystemBus();
  PrivateSystemBus(const PrivateSystemBus&) = delete;
  PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

  const std::string& address() const { return address_; }
  const std::filesystem::path& folder() const { return folder_; }
  void enter();

 private:
  PrivateSystemBus() = default;

  std::filesystem::path folder_;
  std::string address_;
  std::unique_ptr<ChildProcess> daemon_;
  bool entered_ = false;
  std::optional<std::string> savedAddress_;
};

}  // namespace tactora::testing
