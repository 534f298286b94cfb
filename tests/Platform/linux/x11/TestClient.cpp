#include "tests/Platform/linux/x11/TestClient.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <thread>

namespace tactora::lx::test {

namespace {
constexpr std::chrono::milliseconds pollInterval{5};
}  // namespace

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) {
      return false;
    }
    std::this_thread::sleep_for(pollInterval);
  }
  return true;
}

std::unique_ptr<TestClient> TestClient::connect(const std::string& displayName) {
  Display* display = XOpenDisplay(displayName.c_str());
  return display == nullptr ? nullptr : std::unique_ptr<TestClient>(new TestClient(display));
}

TestClient::~TestClient() {
  XCloseDisplay(display_);
}

Window TestClient::createWindow(const std::string& instance, const std::string& windowClass,
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

bool TestClient::activate(Window window) {
  // The window manager manages the window only once it has mapped it; a request before that is
  // lost, so repeat it until the root names the window.
  return eventually([&] {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom("_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // from a pager: obeyed without focus-stealing checks
    XSendEvent(display_, root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(display_, False);
    return eventually([&] { return rootCardinal("_NET_ACTIVE_WINDOW") == long(window); },
                      std::chrono::milliseconds(200));
  });
}

std::optional<long> TestClient::rootCardinal(const char* property) {
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

bool TestClient::awaitDeleteWindow(Window window) {
  const Atom protocols = atom("WM_PROTOCOLS");
  const Atom deleteWindow = atom("WM_DELETE_WINDOW");
  return eventually([&] {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == ClientMessage && event.xclient.window == window &&
          event.xclient.message_type == protocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
        return true;
      }
    }
    return false;
  });
}

}  // namespace tactora::lx::test
