#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>

namespace tactora::testing {

// An X client of the test's own, on a connection of its own: it makes windows as applications do,
// asks the window manager as a pager does, and reads the root window, so a test sees what the
// window manager did.
class XClient {
 public:
  // Null when the display cannot be opened.
  static std::unique_ptr<XClient> connect(const std::string& display);
  ~XClient() { XCloseDisplay(display_); }
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  Display* display() const { return display_; }
  Window root() const { return DefaultRootWindow(display_); }
  Atom atom(const char* name) const { return XInternAtom(display_, name, False); }

  // A mapped top-level window with WM_CLASS (instance, class), WM_DELETE_WINDOW in its
  // protocols and, when given, a _GTK_APPLICATION_ID.
  Window createWindow(const std::string& instance, const std::string& windowClass,
                      const std::optional<std::string>& gtkApplicationId = std::nullopt);
  // Asks the window manager to activate `window` and waits until the root says it is active.
  bool activate(Window window);
  // Sends the client message `type` about `window` with `value` to the root window (an EWMH
  // request, as pagers send them).
  void request(Window window, const char* type, long value);
  // The first item of a 32-bit root property.
  std::optional<long> rootCardinal(const char* property) const;

 private:
  explicit XClient(Display* display) : display_(display) {}
  Display* display_;
};

}  // namespace tactora::testing
