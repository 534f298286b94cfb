#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace tactora::lx::test {

// A private X server (Xvfb) with a window manager (openbox) on a display of its own, for tests
// that need a real desktop without one on the machine. Both are stopped when it is dropped.
class XvfbSession {
 public:
  // Whether the Xvfb program is on PATH.
  static bool installed();
  // Starts the server, and the window manager unless `withWindowManager` is false, and waits
  // until both are ready. Null (with the reason as a test failure) when they did not start.
  static std::unique_ptr<XvfbSession> start(bool withWindowManager = true);
  ~XvfbSession();
  XvfbSession(const XvfbSession&) = delete;
  XvfbSession& operator=(const XvfbSession&) = delete;

  const std::string& displayName() const { return displayName_; }
  // Ends the server now, as a crash or a logout would.
  void stopServer();

 private:
  XvfbSession() = default;
  pid_t server_ = -1;
  pid_t windowManager_ = -1;
  std::string displayName_;
};

}  // namespace tactora::lx::test
