#pragma once

#include <linux/input.h>

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

namespace tactora::lx {

// Where synthetic pointer reports go: the mouse's clone while the mouse is held, so a synthetic
// button held during a drag and the mouse's own motion are one device's state and the drag
// follows the mouse; otherwise our own virtual pointer. Each button's release goes to the device
// that got its press: when that was a clone that is gone since (the mouse left), the clone's
// destruction already released it and nothing is written; a clone of the mouse plugged in again
// never got that press and is not told about it. Safe to call from several threads; no lock is
// held while writing.
class PointerSink {
 public:
  // Writes one report to the clone `cloneId` (0: whichever exists). The id of the clone that
  // took it, 0 when none did. See TactoraEvdevWritePointerEvents.
  using CloneWriter =
      std::function<std::uint64_t(std::span<const input_event> events, std::uint64_t cloneId)>;

  // `ownPointerFd` is our own virtual pointer; a null `writeToClone`: there is never a clone.
  PointerSink(int ownPointerFd, CloneWriter writeToClone);
  PointerSink(const PointerSink&) = delete;
  PointerSink& operator=(const PointerSink&) = delete;

  // Motion and wheels: one report to the clone, else to our own pointer. False when it could not
  // be written anywhere.
  bool write(std::span<const input_event> events);
  // A button's press or release (BTN_MOUSE...BTN_TASK; others are ignored), as a report of its
  // own.
  bool press(std::uint16_t button);
  bool release(std::uint16_t button);

 private:
  // Who holds a button: nobody, our own pointer, or a clone by its id.
  static constexpr std::uint64_t nobody = 0;
  static constexpr std::uint64_t ownPointer = UINT64_MAX;

  // To the clone, else our own pointer; the device that took it (`nobody`: none did).
  std::uint64_t writeAnywhere(std::span<const input_event> events);

  const int ownPointerFd_;
  const CloneWriter writeToClone_;
  std::mutex mutex_;
  std::array<std::uint64_t, BTN_TASK - BTN_MOUSE + 1> holders_{};  // under mutex_
};

}  // namespace tactora::lx
