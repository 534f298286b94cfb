#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "Platform/EventFlags.h"
#include "Platform/Point.h"
#include "Platform/linux/x11/X11Connection.h"

namespace tactora::lx {

// The pointer's position and the held modifier keys, read from the X server, in the event
// system's terms. Modifiers follow the desktop convention that maps Command to Ctrl, Option to
// Alt and Control to Super: Ctrl gives the Command flag, Alt (Mod1) Option, Super (Mod4)
// Control, Shift Shift.
class X11PointerState {
 public:
  // The two reads the event service takes; both empty (missing) when there is no X server.
  struct Functions {
    std::function<std::optional<platform::Point>()> pointerLocation;
    std::function<platform::EventFlags()> modifierFlags;
  };
  static Functions functions(const std::shared_ptr<X11Connection>& connection);

  // The event flags of an X modifier mask; other bits (Caps Lock, Num Lock, buttons) are
  // dropped.
  static platform::EventFlags flagsForModifierMask(unsigned modifierMask);

  explicit X11PointerState(std::shared_ptr<X11Connection> connection);

  // Root-window coordinates. X11 has no points apart from pixels, so one pixel is one point.
  std::optional<platform::Point> pointerLocation();
  // The held modifiers; 0 when they cannot be read.
  platform::EventFlags modifierFlags();

 private:
  std::shared_ptr<X11Connection> connection_;
};

}  // namespace tactora::lx
