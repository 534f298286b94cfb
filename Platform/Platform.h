#pragma once

#include <memory>

#include "Platform/Accessibility.h"
#include "Platform/ApplicationCatalog.h"
#include "Platform/Battery.h"
#include "Platform/Clock.h"
#include "Platform/Dispatch.h"
#include "Platform/Events.h"
#include "Platform/KeyboardKeys.h"
#include "Platform/LoginItems.h"
#include "Platform/Panels.h"
#include "Platform/Permissions.h"
#include "Platform/Preferences.h"
#include "Platform/SystemBridges.h"
#include "Platform/Updater.h"
#include "Platform/Workspace.h"

namespace tactora::platform {

// Every platform service of the process, from one backend (the real desktop or the simulation).
// One is installed at start-up; the process-wide shared services reach it through `current()`.
class Platform {
 public:
  virtual ~Platform() = default;

  virtual Clock& clock() = 0;
  virtual Dispatch& dispatch() = 0;
  virtual Events& events() = 0;
  virtual SystemBridges& systemBridges() = 0;
  virtual Accessibility& accessibility() = 0;
  virtual Workspace& workspace() = 0;
  virtual Permissions& permissions() = 0;
  virtual Preferences& preferences() = 0;
  virtual LoginItems& loginItems() = 0;
  virtual Updater& updater() = 0;
  // For the settings window: the keyboard's keys by name, and the installed applications.
  virtual KeyboardKeys& keyboardKeys() = 0;
  virtual ApplicationCatalog& applicationCatalog() = 0;
  virtual Battery& battery() = 0;
  // How heads-up panels (the gesture overlay, the version notice) appear on this desktop.
  virtual Panels& panels() = 0;

  // Makes `platform` the process's platform. Earlier ones are kept alive for the life of the
  // process, so references handed out before stay valid.
  static void install(std::shared_ptr<Platform> platform);
  // The installed platform. Terminates the process with a message when none is installed: that
  // is a start-up fault, not a condition to recover from.
  static Platform& current();
  static bool isInstalled();
};

}  // namespace tactora::platform
