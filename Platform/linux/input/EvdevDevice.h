#pragma once

#include <linux/input.h>

#include <memory>
#include <string>
#include <variant>

#include "Platform/UniqueFd.h"
#include "Platform/linux/SystemError.h"
#include "Platform/linux/input/DeviceFacts.h"

struct libevdev;

namespace tactora::lx {

// One opened evdev node read through libevdev: the node's descriptor and the libevdev handle,
// owned together. Not thread-safe; one reader uses it.
class EvdevDevice {
 public:
  // The device, or why its node could not be opened ("open /dev/input/event7: Permission denied").
  using OpenResult = std::variant<EvdevDevice, SystemError>;

  // Opens `node` read-only and non-blocking, and reads its description.
  static OpenResult open(const std::string& node);
  // The facts of a device as libevdev describes it, also of one built without a node (a recording
  // played in the mouse's place is classified and measured exactly as the mouse itself).
  static DeviceFacts describe(const std::string& node, const libevdev* evdev);

  EvdevDevice(EvdevDevice&&) noexcept = default;
  EvdevDevice& operator=(EvdevDevice&&) noexcept = default;
  ~EvdevDevice();

  const DeviceFacts& facts() const { return facts_; }
  int fd() const { return fd_.get(); }
  libevdev* handle() const { return evdev_.get(); }

  // Asks the kernel for CLOCK_MONOTONIC timestamps; false when it refuses (then the event times
  // are wall-clock and the reader stamps events itself).
  bool useMonotonicClock();
  // EVIOCGRAB; 0 or the errno.
  int grab();
  void ungrab();
  // Whether any mouse button is held now, as the kernel sees it (queued events included).
  bool isAnyButtonDown() const;

  enum class ReadStatus { event, dropped, resyncEvent, empty, gone };
  // The next event. `dropped` (with the SYN_DROPPED in `event`) when the kernel's queue
  // overflowed: what was read since the last SYN_REPORT is incomplete. The events that follow come
  // as `resyncEvent`: the device's current state, ending with a SYN_REPORT, to be applied instead
  // of what was lost. `empty` when nothing is queued; `gone` when the node went away or failed.
  ReadStatus next(input_event& event);

 private:
  struct EvdevFree {
    void operator()(libevdev* evdev) const;
  };
  EvdevDevice(platform::UniqueFd fd, libevdev* evdev);

  platform::UniqueFd fd_;
  std::unique_ptr<libevdev, EvdevFree> evdev_;
  DeviceFacts facts_;
  bool resyncing_ = false;
};

}  // namespace tactora::lx
