#pragma once

#include <linux/input.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "Platform/Event.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/posting/ModifierKeys.h"

namespace tactora::lx {

// Turns the events the program posts into kernel input events: keys through the virtual keyboard,
// clicks, drags and scrolls through the pointer device (the mouse's clone, or our own virtual
// pointer). It only writes to the two descriptors it is given; creating the devices is not its
// business. Safe to call from several threads.
//
// - Keys: the key code goes through the key-code table, the flags through the modifier
//   convention; modifiers are pressed in the same report before the key and released after it. A
//   fixed shortcut of the program becomes the desktop's chord for it instead.
// - Flags-changed events latch modifiers: they stay down, also around the keys that follow, until
//   a flags-changed event lets them go (the stepping app switcher holds Alt this way).
// - Clicks happen where the pointer is (an event's location is never a warp). A press with click
//   state 2 or 3 is preceded by one or two full press/release pairs, `clickGapSeconds` apart, so
//   the desktop sees a double or triple click.
// - A drag event moves the pointer by relative motion towards the event's location, measured from
//   the pointer's current location: a drag that follows the mouse is already there (the mouse's
//   own motion moved it) and posts no motion; a drag moved ahead of the pointer moves it.
// - Scrolls are written as hi-res wheel events with the detents they complete.
class UinputPoster {
 public:
  using Pause = std::function<void(double seconds)>;
  using PointerLocation = std::function<std::optional<platform::Point>()>;

  // Gaps within a multiple click. Longer than libinput's 25 ms button debounce, which would
  // otherwise merge the clicks into one; a triple click still ends within about 0.2 s, well inside
  // the desktops' double-click time (0.4 s by default).
  static constexpr double clickGapSeconds = 0.030;
  // One wheel detent in hi-res units (the kernel's), and the pixels it stands for: about three
  // lines of text, which is what one detent scrolls in GTK and Qt applications.
  static constexpr std::int32_t hiResUnitsPerDetent = 120;
  static constexpr std::int32_t pixelsPerDetent = 50;

  struct Options {
    DesktopFamily desktop = DesktopFamily::other;
    // Pauses the calling thread between the clicks of a multiple click; null: no pause.
    Pause pause;
    // The pointer's location in the events' coordinates; null or empty: drags post no motion.
    PointerLocation pointerLocation;
  };

  UinputPoster(int keyboardFd, int pointerFd, Options options);
  UinputPoster(const UinputPoster&) = delete;
  UinputPoster& operator=(const UinputPoster&) = delete;

  // Writes `event`'s input events; an event with nothing to say on Linux (an unknown key code, a
  // type that is no input) writes nothing. False when a write failed.
  bool post(const platform::Event& event);

 private:
  using Report = std::array<input_event, 12>;
  struct ReportBuilder;

  bool postKey(const platform::Event& event, bool down);
  bool postFlagsChanged(const platform::Event& event);
  bool postButton(const platform::Event& event, bool down);
  bool postMotion(const platform::Event& event);
  bool postScroll(const platform::Event& event);
  // With `keyboardMutex_` held: presses and releases to reach `transient_ | latched_`.
  void moveModifiers(ReportBuilder& report);

  const int keyboardFd_;
  const int pointerFd_;
  const Options options_;

  std::mutex keyboardMutex_;
  ModifierKeys::Set pressed_ = 0;    // modifier keys down on the virtual keyboard
  ModifierKeys::Set latched_ = 0;    // held by flags-changed events
  ModifierKeys::Set transient_ = 0;  // held for the key that is down

  std::mutex scrollMutex_;
  // Per axis (vertical, horizontal): hi-res units not yet a detent, and the fraction of a hi-res
  // unit (in 1/pixelsPerDetent) not yet written.
  std::array<std::int32_t, 2> detentRemainder_{};
  std::array<std::int64_t, 2> hiResFraction_{};
};

}  // namespace tactora::lx
