#pragma once

#include <string>

#include "Platform/linux/events/LinuxEventTaps.h"
#include "Platform/linux/provider/EvdevProvider.h"

namespace tactora::lx {

// Connects the Linux event system to the evdev provider the multitouch bridge loaded: resolves the
// provider's symbols from the same library (opening a loaded library again returns the same
// instance), installs the taps as its report filter and hands out its writer to the clone.
class EvdevProviderLink {
 public:
  // False with the reason in `error` when the library or its symbol is missing (then the taps
  // see nothing of the mouse and scroll suppression is off).
  static bool install(const std::string& providerPath, LinuxEventTaps& taps, bool exclusive,
                      std::string* error);
  static void uninstall(const std::string& providerPath);
  // The provider's writer to the mouse's clone; null (with the reason in `error`) when the
  // library or its symbol is missing, and then synthetic pointer input uses our own pointer.
  static TactoraEvdevWritePointerEventsFn pointerWriter(const std::string& providerPath,
                                                        std::string* error = nullptr);
};

}  // namespace tactora::lx
