#include "Platform/linux/input/DeviceFacts.h"

#include <linux/input.h>

#include <cmath>

namespace tactora::lx {

namespace {

// The families the original framework reports for Apple's mice; other devices get 0.
constexpr std::int32_t magicMouseFamily = 112;
constexpr std::int32_t magicMouse2Family = 113;

bool isExternalBus(std::uint16_t bus) {
  return bus == BUS_BLUETOOTH || bus == BUS_USB;
}

std::int32_t hundredths(float millimetres) {
  return static_cast<std::int32_t>(std::lround(millimetres * 100.0f));
}

}  // namespace

DeviceRole DeviceFacts::role() const {
  if (phys.starts_with(ownPhysMarker)) {
    return DeviceRole::ownVirtual;
  }
  if (!hasMultitouchAxes) {
    return DeviceRole::notMultitouch;
  }
  if (direct) {
    return DeviceRole::touchscreen;
  }
  // A touchpad says so with its properties or its finger keys; one on an internal bus (i2c, PS/2,
  // SPI) is built in whatever it says.
  if (pointerProperty || buttonpad || touchTool || !isExternalBus(bus)) {
    return DeviceRole::builtInTouchpad;
  }
  if (platform::FrameAssembler::isMagicMouse(vendor, product)) {
    return DeviceRole::magicMouse;
  }
  return DeviceRole::externalTouch;
}

std::int32_t DeviceFacts::familyID() const {
  if (!platform::FrameAssembler::isMagicMouse(vendor, product)) {
    return 0;
  }
  return product == 0x030d ? magicMouseFamily : magicMouse2Family;
}

std::int32_t DeviceFacts::widthHundredthsMM() const {
  return hundredths(platform::FrameAssembler(touch).surfaceSizeMM().widthMM);
}

std::int32_t DeviceFacts::heightHundredthsMM() const {
  return hundredths(platform::FrameAssembler(touch).surfaceSizeMM().depthMM);
}

bool DeviceFacts::isSameDevice(const DeviceFacts& other) const {
  if (vendor != other.vendor || product != other.product || bus != other.bus) {
    return false;
  }
  // Bluetooth devices carry their address in uniq; without one, the name has to do.
  if (!uniq.empty() || !other.uniq.empty()) {
    return uniq == other.uniq;
  }
  return name == other.name;
}

}  // namespace tactora::lx
