#include "Platform/evdev/FrameAssembler.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <utility>

namespace tactora::platform {

namespace {

// A resting fingertip on the Magic Mouse reads a touch major of about 500; dividing by this puts
// it near 1, the scale the tap recognizer's minimum contact size is tuned in.
constexpr float touchMajorPerSizeUnit = 500.0f;

constexpr std::uint16_t appleUSBVendor = 0x05ac;
constexpr std::uint16_t appleBluetoothVendor = 0x004c;

float extentMM(const EvdevAxis& axis) {
  if (axis.resolution <= 0 || axis.maximum <= axis.minimum) {
    return 0;
  }
  return static_cast<float>(axis.maximum - axis.minimum) / static_cast<float>(axis.resolution);
}

float fraction(const EvdevAxis& axis, std::int32_t raw) {
  if (axis.maximum <= axis.minimum) {
    return 0;
  }
  const double f = (static_cast<double>(raw) - axis.minimum) /
                   (static_cast<double>(axis.maximum) - axis.minimum);
  return static_cast<float>(std::clamp(f, 0.0, 1.0));
}

}  // namespace

FrameAssembler::FrameAssembler(const EvdevTouchDevice& device)
    : device_(device), currentSlot_(device.initialSlot) {}

bool FrameAssembler::isMagicMouse(std::uint16_t vendor, std::uint16_t product) {
  const bool apple = vendor == appleUSBVendor || vendor == appleBluetoothVendor;
  return apple && (product == 0x030d || product == 0x0269 || product == 0x0323);
}

SurfaceSizeMM FrameAssembler::surfaceSizeMM() const {
  const float x = extentMM(device_.positionX);
  const float y = extentMM(device_.positionY);
  if (isMagicMouse(device_.vendor, device_.product)) {
    // Range over resolution gives 90.7 mm for the x axis and 51.9 mm for y, but the surface is
    // the narrow, long one: about 51.9 mm wide and 90.7 mm from the palm to the front.
    return {y, x};
  }
  return {x, y};
}

void FrameAssembler::reset() {
  slots_ = {};
  currentSlot_ = device_.initialSlot;
  droppingUntilReport_ = false;
  contactsInLastFrame_ = 0;
  recordCount_ = 0;
}

bool FrameAssembler::handleEvent(double timeSeconds, std::uint16_t type, std::uint16_t code,
                                 std::int32_t value) {
  if (type == EV_SYN && code == SYN_DROPPED) {
    // The kernel's buffer overflowed: what follows up to the next report is incomplete, so it is
    // dropped; the reader is expected to resynchronise the slots (libevdev does).
    droppingUntilReport_ = true;
    return false;
  }
  if (type == EV_SYN && code == SYN_REPORT) {
    if (droppingUntilReport_) {
      droppingUntilReport_ = false;
      return false;
    }
    return finishReport(timeSeconds);
  }
  if (type == EV_ABS && !droppingUntilReport_) {
    handleAbs(code, value);
  }
  return false;
}

void FrameAssembler::handleAbs(std::uint16_t code, std::int32_t value) {
  if (code == ABS_MT_SLOT) {
    currentSlot_ = value;
    return;
  }
  // Slots beyond the ones we track (and a garbage slot number) are ignored rather than trusted.
  if (currentSlot_ < 0 || currentSlot_ >= maxSlots) {
    return;
  }
  Slot& slot = slots_[static_cast<std::size_t>(currentSlot_)];
  switch (code) {
    case ABS_MT_TRACKING_ID:
      if (value != slot.trackingID) {
        // A new contact in a slot (or the slot emptied): its velocity starts afresh. The raw
        // position stays, because the kernel does not repeat values that did not change.
        slot.hasPrevious = false;
      }
      slot.trackingID = value < 0 ? -1 : value;
      break;
    case ABS_MT_POSITION_X:
      slot.rawX = value;
      break;
    case ABS_MT_POSITION_Y:
      slot.rawY = value;
      break;
    case ABS_MT_TOUCH_MAJOR:
      slot.touchMajor = value;
      break;
    default:
      break;
  }
}

float FrameAssembler::normalisedX(std::int32_t raw) const {
  return fraction(device_.positionX, raw);
}

float FrameAssembler::normalisedY(std::int32_t raw) const {
  // evdev y grows towards the palm; ours grows towards the front of the mouse.
  return 1.0f - fraction(device_.positionY, raw);
}

bool FrameAssembler::finishReport(double timeSeconds) {
  int count = 0;
  for (Slot& slot : slots_) {
    if (slot.trackingID < 0) {
      continue;
    }
    const float x = normalisedX(slot.rawX);
    const float y = normalisedY(slot.rawY);
    float velocityX = 0;
    float velocityY = 0;
    const double elapsed = timeSeconds - slot.previousTimeSeconds;
    if (slot.hasPrevious && elapsed > 0) {
      velocityX = static_cast<float>((x - slot.previousX) / elapsed);
      velocityY = static_cast<float>((y - slot.previousY) / elapsed);
    }
    // A touch major of 0 is the device announcing the lift a report before the slot empties.
    const std::int32_t state =
        slot.touchMajor > 0 ? MT_CONTACT_STATE_TOUCHING : MT_CONTACT_STATE_LIFTING;
    const float size = static_cast<float>(std::max(slot.touchMajor, 0)) / touchMajorPerSizeUnit;
    MTWriteContactRecord(&records_[static_cast<std::size_t>(count) * MT_CONTACT_RECORD_SIZE],
                         slot.trackingID, state, x, y, velocityX, velocityY, size);
    slot.hasPrevious = true;
    slot.previousX = x;
    slot.previousY = y;
    slot.previousTimeSeconds = timeSeconds;
    ++count;
  }
  // Reports with nothing down yield nothing, except the one in which the last contact went, so
  // its lift is seen.
  const bool yieldsFrame = count > 0 || contactsInLastFrame_ > 0;
  contactsInLastFrame_ = count;
  if (!yieldsFrame) {
    return false;
  }
  recordCount_ = count;
  frameTimeSeconds_ = timeSeconds;
  ++frameNumber_;
  return true;
}

}  // namespace tactora::platform
