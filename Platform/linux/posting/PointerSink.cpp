#include "Platform/linux/posting/PointerSink.h"

#include <utility>

#include "Platform/linux/input/UinputWriter.h"

namespace tactora::lx {

namespace {

bool isButton(std::uint16_t button) {
  return button >= BTN_MOUSE && button <= BTN_TASK;
}

input_event buttonEvent(std::uint16_t button, bool down) {
  input_event event{};
  event.type = EV_KEY;
  event.code = button;
  event.value = down ? 1 : 0;
  return event;
}

}  // namespace

PointerSink::PointerSink(int ownPointerFd, CloneWriter writeToClone)
    : ownPointerFd_(ownPointerFd), writeToClone_(std::move(writeToClone)) {}

std::uint64_t PointerSink::writeAnywhere(std::span<const input_event> events) {
  if (writeToClone_) {
    if (const std::uint64_t clone = writeToClone_(events, 0); clone != nobody) {
      return clone;
    }
  }
  return UinputWriter(ownPointerFd_).writeReport(events) ? ownPointer : nobody;
}

bool PointerSink::write(std::span<const input_event> events) {
  return events.empty() || writeAnywhere(events) != nobody;
}

bool PointerSink::press(std::uint16_t button) {
  if (!isButton(button)) {
    return true;
  }
  const input_event event = buttonEvent(button, true);
  const std::uint64_t holder = writeAnywhere({&event, 1});
  std::lock_guard lock(mutex_);
  holders_[button - BTN_MOUSE] = holder;
  return holder != nobody;
}

bool PointerSink::release(std::uint16_t button) {
  if (!isButton(button)) {
    return true;
  }
  std::uint64_t holder = nobody;
  {
    std::lock_guard lock(mutex_);
    holder = std::exchange(holders_[button - BTN_MOUSE], nobody);
  }
  const input_event event = buttonEvent(button, false);
  switch (holder) {
    case nobody:
      // Not pressed by us (or its press was lost): the release goes where a press would, which
      // lets go of a button stuck there and is ignored by a device that does not hold it.
      return writeAnywhere({&event, 1}) != nobody;
    case ownPointer:
      return UinputWriter(ownPointerFd_).writeReport({&event, 1});
    default:
      // A clone that is gone took the button with it: nothing is held any more.
      if (writeToClone_) {
        writeToClone_({&event, 1}, holder);
      }
      return true;
  }
}

}  // namespace tactora::lx
