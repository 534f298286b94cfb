#pragma once

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace tactora::lx {

// One connection to the X server, and every request we make on it. Owns the Display and closes
// it when dropped. The requests a window manager can make fail at any time (a window destroyed
// while we read it) are checked: their X errors are caught and the request says "nothing"
// instead of the default handler ending the process. When the server goes away the connection
// turns broken and every request answers nothing from then on. Safe to use from several threads:
// one lock guards the Display.
class X11Connection {
 public:
  using Window = unsigned long;  // an X window id; 0 is None
  using Atom = unsigned long;

  struct PointerState {
    int rootX = 0;  // root-window coordinates in pixels
    int rootY = 0;
    unsigned modifierMask = 0;  // the X key and button mask (ShiftMask, ControlMask, Mod1Mask...)
  };

  // Null when no server is reachable: `displayName` empty means $DISPLAY, which may be unset.
  static std::shared_ptr<X11Connection> open(const std::string& displayName = {});
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  // The server went away; nothing works on this connection any more.
  bool broken() const { return broken_.load(); }
  Window root() const { return root_; }

  // The items of a 32-bit property (WINDOW, CARDINAL, ATOM); empty when the window or the
  // property does not exist or has another format.
  std::optional<std::vector<unsigned long>> cardinals(Window window, const char* property);
  // The bytes of an 8-bit property (STRING, UTF8_STRING), NULs included.
  std::optional<std::string> bytes(Window window, const char* property);
  // Whether the window still exists.
  bool exists(Window window);
  // Whether the window manager lists `hint` in the root's _NET_SUPPORTED.
  bool supports(const char* hint);
  // Sends a client message about `window` to the root, where the window manager listens (the
  // EWMH way to ask it for something). False when it could not be sent.
  bool sendToRoot(Window window, const char* messageType, const std::array<long, 5>& data);
  std::optional<PointerState> queryPointer();
  // The keysyms of the keys on each of the eight modifiers (Shift, Lock, Control, Mod1...Mod5, in
  // the order of their mask bits), each key's first; empty when they cannot be read.
  std::optional<std::array<std::vector<unsigned long>, 8>> modifierKeysyms();
  // Whether the server announced a new keyboard or modifier mapping since the last call (it
  // tells every client). Looks only at what has already arrived: no round trip.
  bool keyboardMappingChanged();

 private:
  class Scope;
  X11Connection(_XDisplay* display);
  Atom atom(const char* name);

  struct CloseDisplay {
    void operator()(_XDisplay* display) const;
  };
  std::mutex mutex_;
  std::unique_ptr<_XDisplay, CloseDisplay> display_;
  Window root_ = 0;
  std::map<std::string, Atom, std::less<>> atoms_;
  std::atomic<bool> broken_{false};
  bool requestFailed_ = false;  // set by the error handler while a request runs
};

}  // namespace tactora::lx
