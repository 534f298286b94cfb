#include "tests/support/desktop/XClient.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

std::unique_ptr<XClient> XClient::connect(const std::string& display) {
  Display* connection = XOpenDisplay(display.c_str());
  return connection == nullptr ? nullptr : std::unique_ptr<XClient>(new XClient(connection));
}

Window XClient::createWindow(const std::string& instance, const std::string& windowClass,
                             const std::optional<std::string>& gtkApplicationId) {
  const Window window =
      XCreateSimpleWindow(display_, root(), 10, 10, 200, 100, 0, 0, WhitePixel(display_, 0));
  XClassHint hint{const_cast<char*>(instance.c_str()), const_cast<char*>(windowClass.c_str())};
  XSetClassHint(display_, window, &hint);
  Atom deleteWindow = atom("WM_DELETE_WINDOW");
  XSetWMProtocols(display_, window, &deleteWindow, 1);
  if (gtkApplicationId) {
    XChangeProperty(display_, window, atom("_GTK_APPLICATION_ID"), atom("UTF8_STRING"), 8,
                    PropModeReplace,
                    reinterpret_cast<const unsigned char*>(gtkApplicationId->c_str()),
                    static_cast<int>(gtkApplicationId->size()));
  }
  XSelectInput(display_, window, StructureNotifyMask);
  XMapWindow(display_, window);
  XSync(display_, False);
  return window;
}

void XClient::request(Window window, const char* type, long value) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = atom(type);
  event.xclient.format = 32;
  event.xclient.data.l[0] = value;
  XSendEvent(display_, root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XSync(display_, False);
}

bool XClient::activate(Window window) {
  // The window manager manages the window only once it has mapped it; a request before that is
  // lost, so it is repeated until the root names the window. 2: from a pager, obeyed without
  // focus-stealing checks.
  return eventually([&] {
    request(window, "_NET_ACTIVE_WINDOW", 2);
    return eventually([&] { return rootCardinal("_NET_ACTIVE_WINDOW") == long(window); },
                      std::chrono::milliseconds(200));
  });
}

std::optional<long> XClient::rootCardinal(const char* property) const {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display_, root(), atom(property), 0, 1, False, AnyPropertyType, &type, &format,
                     &count, &after, &data);
  std::optional<long> value;
  if (data != nullptr && format == 32 && count > 0) {
    value = *reinterpret_cast<long*>(data);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return value;
}

}  // namespace tactora::testing
