#pragma once

#include <string>

#include "Platform/linux/input/LinuxEventTaps.h"

namespace tactora::lx {

// Connects the Linux event taps to the evdev provider the multitouch bridge loaded: resolves the
// provider's report-filter symbol from the same library (opening a loaded library again returns
// the same instance) and installs the taps as its filter.
class EvdevProviderLink {
 public:
  // False with the reason in `error` when the library or its symbol is missing (then the taps
  // see nothing of the mouse and scroll suppression is off).
  static bool install(const std::string& providerPath, LinuxEventTaps& taps, bool exclusive,
                      std::string* error);
  static void uninstall(const std::string& providerPath);
};

}  // namespace tactora::lx
