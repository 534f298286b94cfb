#pragma once

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/EventFlags.h"
#include "Platform/Point.h"
#include "Platform/linux/x11/X11Connection.h"

namespace tactora::lx {

// The pointer's position and the held modifier keys, read from the X server, in the event
// system's terms. Modifiers follow the desktop convention that maps Command to Ctrl, Option to
// Alt and Control to Super: a modifier stands for what the keys on it are (Control_L on the
// Control modifier gives the Command flag, Alt_L on Mod1 Option, Super_L on Mod4 Control), read
// from the server's modifier mapping at start and again after the server announces a new one, so
// a keymap that puts Super or Alt elsewhere is still read right.
class X11PointerState {
 public:
  // The two reads the event service takes; both empty (missing) when there is no X server.
  struct Functions {
    std::function<std::optional<platform::Point>()> pointerLocation;
    std::function<platform::EventFlags()> modifierFlags;
  };
  static Functions functions(const std::shared_ptr<X11Connection>& connection);

  // What each of the eight X modifiers (Shift, Lock, Control, Mod1...Mod5, in the order of the
  // modifier mask's bits) stands for.
  using ModifierTable = std::array<platform::EventFlags, 8>;
  // Shift, Control, Alt on Mod1 and Super on Mod4: the common layout, used when the server's
  // mapping cannot be read.
  static ModifierTable defaultModifierTable();
  // From the keysyms on each modifier; a modifier with none of the four kinds of keys (Caps
  // Lock, Num Lock, AltGr) stands for nothing.
  static ModifierTable modifierTableFromKeysyms(
      const std::array<std::vector<unsigned long>, 8>& keysyms);
  // The event flags of an X modifier mask; bits that stand for nothing (and button bits) are
  // dropped.
  static platform::EventFlags flagsForModifierMask(
      unsigned modifierMask, const ModifierTable& table = defaultModifierTable());

  explicit X11PointerState(std::shared_ptr<X11Connection> connection);

  // Root-window coordinates. X11 has no points apart from pixels, so one pixel is one point.
  std::optional<platform::Point> pointerLocation();
  // The held modifiers; 0 when they cannot be read.
  platform::EventFlags modifierFlags();
  // The table in use, brought up to date when the server announced a new mapping.
  ModifierTable modifierTable();

 private:
  std::shared_ptr<X11Connection> connection_;
  std::mutex tableMutex_;
  ModifierTable table_;  // under tableMutex_
};

}  // namespace tactora::lx
