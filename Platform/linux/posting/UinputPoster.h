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
#include "Platform/linux/posting/PointerSink.h"

namespace tactora::lx {

// Turns the events the program posts into kernel input events: keys through the virtual keyboard,
// clicks, drags and scrolls through the pointer device (the mouse's clone while there is one,
// else our own virtual pointer; see PointerSink). It only writes to what it is given; creating
// the devices is not its business. Safe to call from several threads.
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

  // The pause after each press and each release within a multiple click. libinput debounces the
  // buttons of every pointer device it reads, uinput ones included: a press less than 25 ms after
  // a release is taken for a bouncing switch and dropped, which would merge two clicks into one.
  // 40 ms stays clear of that with room for timer slack. The desktops count a double click when
  // a press follows the previous one within their double-click time: 400 ms by default in GNOME
  // (gtk-double-click-time), KDE (DoubleClickInterval) and Qt. Here a press follows the previous
  // one after 80 ms, and the third press of a triple click comes 160 ms after the first: inside
  // the default whether a desktop measures from the first press or from the one before, and
  // inside a setting shortened to 200 ms.
  static constexpr double clickGapSeconds = 0.040;
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
    // Writes to the mouse's clone; null: pointer events always go to our own pointer.
    PointerSink::CloneWriter writeToClone;
  };

  // `pointerFd` is our own virtual pointer, used when there is no mouse clone.
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
  const Options options_;
  PointerSink pointer_;

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
