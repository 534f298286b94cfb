#pragma once

#include <cstdint>

#include "Platform/HotKeyFunctions.h"
#include "Platform/Platform.h"

namespace tactora {

// The window server's symbolic hot keys, looked up once: reading and enabling the binding of the
// system's move-one-space commands so that a gesture can replay it.
class CGSBridge {
 public:
  using GetValue = decltype(platform::HotKeyFunctions::getValue);
  using SetEnabled = decltype(platform::HotKeyFunctions::setEnabled);
  using IsEnabled = decltype(platform::HotKeyFunctions::isEnabled);

  // Any function may be empty (its entry point is missing); `connectionID` is then 0 as well
  // when the main connection is unavailable.
  explicit CGSBridge(platform::HotKeyFunctions functions);
  // Looks the functions up in `platform`'s system bridges.
  explicit CGSBridge(platform::Platform& platform);

  // The process-wide bridge of the installed platform (or of `platform`), looked up on first use.
  static CGSBridge& shared();
  static CGSBridge& shared(platform::Platform& platform);

  std::uint32_t connectionID() const { return functions_.connectionID; }
  const GetValue& getValue() const { return functions_.getValue; }
  const SetEnabled& setEnabled() const { return functions_.setEnabled; }
  // Looked up with the others; no operation needs it.
  const IsEnabled& isEnabled() const { return functions_.isEnabled; }

 private:
  platform::HotKeyFunctions functions_;
};

}  // namespace tactora
