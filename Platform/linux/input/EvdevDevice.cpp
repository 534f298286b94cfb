#include "Platform/linux/input/EvdevDevice.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <sys/ioctl.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace tactora::lx {

namespace {

platform::EvdevAxis axisOf(const libevdev* evdev, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(evdev, code);
  if (info == nullptr) {
    return {};
  }
  return {info->minimum, info->maximum, info->resolution};
}

std::string text(const char* value) {
  return value != nullptr ? value : "";
}

DeviceFacts readFacts(const std::string& node, const libevdev* evdev) {
  DeviceFacts facts;
  facts.node = node;
  facts.name = text(libevdev_get_name(evdev));
  facts.phys = text(libevdev_get_phys(evdev));
  facts.uniq = text(libevdev_get_uniq(evdev));
  facts.bus = static_cast<std::uint16_t>(libevdev_get_id_bustype(evdev));
  facts.vendor = static_cast<std::uint16_t>(libevdev_get_id_vendor(evdev));
  facts.product = static_cast<std::uint16_t>(libevdev_get_id_product(evdev));
  facts.hasMultitouchAxes = libevdev_has_event_code(evdev, EV_ABS, ABS_MT_SLOT) &&
                            libevdev_has_event_code(evdev, EV_ABS, ABS_MT_TRACKING_ID) &&
                            libevdev_has_event_code(evdev, EV_ABS, ABS_MT_POSITION_X) &&
                            libevdev_has_event_code(evdev, EV_ABS, ABS_MT_POSITION_Y);
  facts.direct = libevdev_has_property(evdev, INPUT_PROP_DIRECT);
  facts.pointerProperty = libevdev_has_property(evdev, INPUT_PROP_POINTER);
  facts.buttonpad = libevdev_has_property(evdev, INPUT_PROP_BUTTONPAD);
  facts.touchTool = libevdev_has_event_code(evdev, EV_KEY, BTN_TOUCH) ||
                    libevdev_has_event_code(evdev, EV_KEY, BTN_TOOL_FINGER);
  facts.touch.vendor = facts.vendor;
  facts.touch.product = facts.product;
  facts.touch.positionX = axisOf(evdev, ABS_MT_POSITION_X);
  facts.touch.positionY = axisOf(evdev, ABS_MT_POSITION_Y);
  facts.touch.initialSlot = facts.hasMultitouchAxes ? libevdev_get_current_slot(evdev) : 0;
  return facts;
}

}  // namespace

void EvdevDevice::EvdevFree::operator()(libevdev* evdev) const {
  libevdev_free(evdev);
}

DeviceFacts EvdevDevice::describe(const std::string& node, const libevdev* evdev) {
  return readFacts(node, evdev);
}

EvdevDevice::EvdevDevice(platform::UniqueFd fd, libevdev* evdev)
    : fd_(std::move(fd)), evdev_(evdev) {}

EvdevDevice::~EvdevDevice() = default;

EvdevDevice::OpenResult EvdevDevice::open(const std::string& node) {
  platform::UniqueFd fd(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    return SystemError::last("open " + node);
  }
  libevdev* evdev = nullptr;
  const int rc = libevdev_new_from_fd(fd.get(), &evdev);
  if (rc < 0) {
    return SystemError::of("read the description of " + node, -rc);
  }
  EvdevDevice device(std::move(fd), evdev);
  device.facts_ = readFacts(node, evdev);
  return device;
}

bool EvdevDevice::useMonotonicClock() {
  return libevdev_set_clock_id(evdev_.get(), CLOCK_MONOTONIC) == 0;
}

int EvdevDevice::grab() {
  const int rc = libevdev_grab(evdev_.get(), LIBEVDEV_GRAB);
  return rc < 0 ? -rc : 0;
}

void EvdevDevice::ungrab() {
  libevdev_grab(evdev_.get(), LIBEVDEV_UNGRAB);
}

bool EvdevDevice::isAnyButtonDown() const {
  // The kernel's state now, not libevdev's copy as of the last event read: a press still waiting
  // in the queue counts.
  std::array<std::uint8_t, KEY_MAX / 8 + 1> keys{};
  const bool asked = ::ioctl(fd_.get(), EVIOCGKEY(keys.size()), keys.data()) >= 0;
  for (unsigned code = BTN_MOUSE; code <= BTN_TASK; ++code) {
    const bool down = asked ? (keys[code / 8] & (1u << (code % 8))) != 0
                            : libevdev_get_event_value(evdev_.get(), EV_KEY, code) != 0;
    if (down) {
      return true;
    }
  }
  return false;
}

EvdevDevice::ReadStatus EvdevDevice::next(input_event& event) {
  const unsigned flags = resyncing_ ? LIBEVDEV_READ_FLAG_SYNC : LIBEVDEV_READ_FLAG_NORMAL;
  const int rc = libevdev_next_event(evdev_.get(), flags, &event);
  if (rc == LIBEVDEV_READ_STATUS_SYNC) {
    // The first SYNC answer is the SYN_DROPPED itself; the state delta follows.
    if (!resyncing_) {
      resyncing_ = true;
      return ReadStatus::dropped;
    }
    return ReadStatus::resyncEvent;
  }
  if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
    return ReadStatus::event;
  }
  if (rc == -EAGAIN) {
    if (resyncing_) {
      // The delta is complete (or was empty): normal reading resumes.
      resyncing_ = false;
      return next(event);
    }
    return ReadStatus::empty;
  }
  return ReadStatus::gone;
}

}  // namespace tactora::lx
