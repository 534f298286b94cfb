#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/desktop/ChildProcess.h"

namespace tactora::testing {

// A dbus-daemon of the test's own in the place of the system bus: the system bus's type, a policy
// that lets the test own any name (system services' names too), and no service activation, so
// nothing starts unless the test starts it. While it lives, DBUS_SYSTEM_BUS_ADDRESS points this
// process, and what it starts with `currentEnvironment()`, at it.
class PrivateSystemBus {
 public:
  // Null, with the reason in `error`, when the daemon does not start.
  static std::unique_ptr<PrivateSystemBus> start(std::string* error);
  ~PrivateSystemBus();

  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::unique_ptr<ChildProcess> daemon_;
};

}  // namespace tactora::testing
