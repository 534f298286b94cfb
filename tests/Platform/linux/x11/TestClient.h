#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tactora::lx::test {

// An X client of the test's own, on its own connection: it makes windows as applications do and
// watches the root window, so the tests see what the window manager did.
class TestClient {
 public:
  // Null when the display cannot be opened.
  static std::unique_ptr<TestClient> connect(const std::string& displayName);
  ~TestClient();
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  Display* display() const { return display_; }
  Window root() const { return DefaultRootWindow(display_); }

  // A mapped top-level window with WM_CLASS (instance, class), WM_DELETE_WINDOW in its
  // protocols and, when given, a _GTK_APPLICATION_ID.
  Window createWindow(const std::string& instance, const std::string& windowClass,
                      const std::optional<std::string>& gtkApplicationId = std::nullopt);
  // Asks the window manager to activate `window` and waits until the root says it is active.
  bool activate(Window window);
  // The first item of a 32-bit root property.
  std::optional<long> rootCardinal(const char* property);
  // Waits for a WM_DELETE_WINDOW message to `window`.
  bool awaitDeleteWindow(Window window);

 private:
  explicit TestClient(Display* display) : display_(display) {}
  Atom atom(const char* name) { return XInternAtom(display_, name, False); }
  Display* display_;
};

// Polls `condition` until it holds or the generous deadline passes.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds deadline = std::chrono::seconds(20));

}  // namespace tactora::lx::test
