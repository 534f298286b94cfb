#pragma once

#include <linux/input.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Platform/UniqueFd.h"
#include "Platform/evdev/EvemuRecording.h"

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace tactora::lx::test {

// An evdev node emulated by umockdev: its udev entry (with a HID parent), its ioctls answered
// from an evemu recording's header with exactly the buffer sizes libevdev asks for, and a pipe
// as the node, into which the test writes events. The test binary runs under umockdev-wrapper;
// without it `available()` is false and the tests skip.
class EmulatedEvdevNode {
 public:
  struct Options {
    std::string phys = "usb-0000:00:14.0-1/input0";
    std::string uniq = "a4:83:e7:00:11:22";
    std::vector<int> properties = {};  // INPUT_PROP_* to add to the recording's
    int grabError = 0;                 // errno EVIOCGRAB answers (0: success)
    bool refuseClockId = false;        // EVIOCSCLOCKID fails with EINVAL
    // The left button goes down as the first EVIOCGRAB arrives: a press that reached the desktop
    // just before the mouse was taken.
    bool pressOnFirstGrab = false;
    // Where the HID device hangs in sysfs (a USB interface the test added, for instance).
    std::string hidParent = "/devices/virtual/misc/uhid";
  };

  // A testbed of its own per test; `available()` says whether the preload library is in place.
  EmulatedEvdevNode();
  ~EmulatedEvdevNode();
  EmulatedEvdevNode(const EmulatedEvdevNode&) = delete;
  EmulatedEvdevNode& operator=(const EmulatedEvdevNode&) = delete;

  bool available() const { return available_; }

  // Adds /dev/input/event<number> described by `recording`'s header. Returns the node path.
  std::string add(int number, const platform::EvemuRecording& recording, const Options& options);
  void remove(int number);
  // The sysfs path of node `number`'s HID device ("/devices/…/0005:05AC:030D.0007"), where the
  // test hangs more devices (a power supply) with `testbed()`.
  std::string hidPath(int number) const;
  UMockdevTestbed* testbed() const { return testbed_; }
  // Adds /dev/uinput, taking every uinput ioctl, as a pipe whose read end is returned
  // (non-blocking): a clone created on it writes its events there, and when the clone is
  // destroyed the read end sees the end of the pipe.
  int addUinput();
  // Writes one event; the time is as given (the node answers EVIOCSCLOCKID, so it is "ours").
  void write(int number, std::uint16_t type, std::uint16_t code, std::int32_t value,
             std::int64_t timeMicroseconds = 0);
  // The key state EVIOCGKEY reports (a button held when the reader starts or resyncs).
  void setKeyDown(int number, int code, bool down);
  int grabCalls(int number) const;
  // Waits until EVIOCGRAB was asked `count` times; false when `deadline` passed first.
  bool waitForGrabCalls(int number, int count,
                        std::chrono::seconds deadline = std::chrono::seconds(30)) const;
  // Waits until the reader has read everything written; false when `deadline` passed first.
  bool waitUntilRead(int number, std::chrono::seconds deadline = std::chrono::seconds(30)) const;

  struct Node;

 private:
  // The node added as `number`; std::out_of_range (a failed test) when there is none.
  Node& node(int number) const { return *nodes_.at(number); }
  // The testbed's file standing for `path` (/dev/...).
  std::string file(const std::string& path) const;
  // Makes `path` a pipe in the testbed whose ioctls go to `handler`; false (with a failure) when it
  // cannot.
  bool attach(const std::string& path, void (*handler)(), void* data);

  UMockdevTestbed* testbed_ = nullptr;
  bool available_ = false;
  std::map<int, std::unique_ptr<Node>> nodes_;
  // The ioctl handlers attached, detached at the end.
  std::vector<std::pair<std::string, UMockdevIoctlBase*>> attached_;
  platform::UniqueFd uinputReadFd_;
};

// Reads an evemu file of the source tree (examples/sessions/...).
platform::EvemuRecording readSession(const std::string& relativePath);

}  // namespace tactora::lx::test
