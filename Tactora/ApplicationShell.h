#pragma once

namespace tactora {

class AppDelegate;

// The application's visible shell (tray, windows, version notice), set up at three points of the
// launch sequence. The default does nothing, which is what a build without a user interface (the
// replay command, tests) needs; the desktop shell overrides the three points.
class ApplicationShell {
 public:
  virtual ~ApplicationShell() = default;

  // First thing at launch: the version-change notice.
  virtual void checkVersionNotice(AppDelegate& /*app*/) {}
  // After the input pipeline exists: status item, update controller, permissions window and the
  // window observers.
  virtual void setUp(AppDelegate& /*app*/) {}
  // After the startup log line: bring up the permissions window when a grant is missing.
  virtual void showPermissionsIfNeeded(AppDelegate& /*app*/) {}
};

}  // namespace tactora
