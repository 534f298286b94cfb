#pragma once

#include <cstdint>
#include <string>

#include "Platform/evdev/FrameAssembler.h"
#include "Platform/linux/input/DeviceRole.h"

namespace tactora::lx {

// What we read of one evdev device (from its ioctls), enough to classify it and to assemble its
// frames.
struct DeviceFacts {
  // Every device we create carries this at the start of its phys, so discovery never takes our
  // own clone for the mouse (names can be copied; this marker is ours).
  static constexpr std::string_view ownPhysMarker = "tactora-virtual/";

  std::string node;  // /dev/input/eventN
  std::string name;
  std::string phys;
  std::string uniq;
  std::uint16_t bus = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  bool hasMultitouchAxes = false;  // ABS_MT_SLOT, ABS_MT_TRACKING_ID, ABS_MT_POSITION_X/Y
  bool direct = false;             // INPUT_PROP_DIRECT
  bool pointerProperty = false;    // INPUT_PROP_POINTER
  bool buttonpad = false;          // INPUT_PROP_BUTTONPAD
  bool touchTool = false;          // BTN_TOUCH or BTN_TOOL_FINGER: a touchpad's keys
  platform::EvdevTouchDevice touch;

  DeviceRole role() const;
  // The multitouch framework's family identifier, for the log only.
  std::int32_t familyID() const;
  // The surface in hundredths of a millimetre (0 when the device advertises no resolution).
  std::int32_t widthHundredthsMM() const;
  std::int32_t heightHundredthsMM() const;
  // The same physical device after it came back (Bluetooth reconnects get a new node).
  bool isSameDevice(const DeviceFacts& other) const;
};

}  // namespace tactora::lx
