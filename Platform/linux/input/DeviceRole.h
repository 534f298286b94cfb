#pragma once

#include <string_view>

namespace tactora::lx {

// What an input device with a touch surface is to us.
enum class DeviceRole {
  magicMouse,       // Apple's Magic Mouse: the device gestures come from
  externalTouch,    // another Bluetooth or USB mouse with a touch surface
  builtInTouchpad,  // a laptop's touchpad: listed as built-in, never chosen
  touchscreen,      // INPUT_PROP_DIRECT: skipped
  ownVirtual,       // a device this program created (its phys carries our marker): skipped
  notMultitouch,    // no multitouch slots and positions: not listed at all
};

std::string_view toString(DeviceRole role);

// Whether the provider lists the device (built-in touchpads are listed, as built-in).
bool isListed(DeviceRole role);
// Whether the device counts as external (the multitouch framework's "not built-in").
bool isExternal(DeviceRole role);

}  // namespace tactora::lx
