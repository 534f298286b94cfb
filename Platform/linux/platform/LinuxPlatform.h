#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Platform/Platform.h"
#include "Platform/SystemClock.h"
#include "Platform/ThreadDispatch.h"
#include "Platform/linux/battery/LinuxBattery.h"
#include "Platform/linux/desktop/XdgApplicationCatalog.h"
#include "Platform/linux/events/LinuxEvents.h"
#include "Platform/linux/login/XdgAutostartLoginItems.h"
#include "Platform/linux/platform/DesktopServices.h"
#include "Platform/linux/platform/FilePreferences.h"
#include "Platform/linux/platform/LinuxAccessibility.h"
#include "Platform/linux/platform/LinuxPanels.h"
#include "Platform/linux/platform/LinuxPermissions.h"
#include "Platform/linux/platform/LinuxSystemBridges.h"
#include "Platform/linux/platform/LinuxWorkspace.h"
#include "Platform/linux/platform/UnavailableUpdater.h"
#include "Platform/linux/posting/LinuxKeyboardKeys.h"
#include "Platform/linux/sleep/LogindSleepWatcher.h"
#include "Platform/linux/x11/X11Connection.h"

namespace tactora::lx {

// Every platform service on a Linux desktop. Built once at start: it creates the virtual
// keyboard and pointer (a desktop needs a moment to take new devices), connects to the X server
// when one is reachable, and installs the event taps in the evdev provider before anything
// opens the mouse. What the machine lacks turns into missing functions, never into a failure:
// without uinput there is no event source and nothing is posted; without X there is no front
// application, no pointer, no window or workspace requests.
class LinuxPlatform final : public platform::Platform {
 public:
  struct Options {
    // The multitouch provider library whose report filter the taps become.
    std::string providerPath;
    // Whether to connect to the X server of $DISPLAY (`displayName` when not empty).
    bool useX11 = true;
    std::string displayName;
    // Whether to create the uinput devices (and so whether anything is ever posted).
    bool createVirtualDevices = true;
    // The folder that holds Tactora's configuration and its preferences file; empty: the XDG
    // configuration folder's "Tactora".
    std::string configurationDirectory;
    // The version the bundle reports.
    std::string version;
    // The application's main queue when it is not this platform's own loop (a GUI toolkit's):
    // the platform's work for the main thread (waking from sleep) goes there. Null: our loop.
    platform::RunLoop* mainQueue = nullptr;
    // The session whose desktop services are used; nothing: the one of the environment.
    std::optional<DesktopServices::Session> session;
  };

  explicit LinuxPlatform(Options options);
  ~LinuxPlatform() override;
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  // Whether an X server answered at start.
  bool hasDisplay() const { return x11_ != nullptr; }
  // Whether the taps see the mouse's own events.
  bool tapsInstalled() const { return tapsInstalled_; }
  // The session, and where each desktop function comes from (for `tactora doctor`).
  const DesktopServices::Session& session() const { return session_; }
  const DesktopFunctions& desktop() const { return desktop_; }

  platform::SystemClock& clock() override { return clock_; }
  platform::ThreadDispatch& dispatch() override { return dispatch_; }
  LinuxEvents& events() override { return *events_; }
  LinuxSystemBridges& systemBridges() override { return *systemBridges_; }
  LinuxAccessibility& accessibility() override { return *accessibility_; }
  LinuxWorkspace& workspace() override { return *workspace_; }
  LinuxPermissions& permissions() override { return permissions_; }
  FilePreferences& preferences() override { return *preferences_; }
  XdgAutostartLoginItems& loginItems() override { return *loginItems_; }
  UnavailableUpdater& updater() override { return updater_; }
  LinuxKeyboardKeys& keyboardKeys() override { return keyboardKeys_; }
  XdgApplicationCatalog& applicationCatalog() override { return applicationCatalog_; }
  LinuxBattery& battery() override { return battery_; }
  LinuxPanels& panels() override { return *panels_; }

 private:
  const std::string providerPath_;
  platform::SystemClock clock_;
  platform::ThreadDispatch dispatch_;
  std::shared_ptr<X11Connection> x11_;
  DesktopServices::Session session_;
  DesktopFunctions desktop_;
  // Before the events, whose taps ask it for their grants.
  LinuxPermissions permissions_;
  std::unique_ptr<LinuxEvents> events_;
  bool tapsInstalled_ = false;
  std::unique_ptr<LinuxSystemBridges> systemBridges_;
  std::unique_ptr<LinuxAccessibility> accessibility_;
  std::unique_ptr<LinuxWorkspace> workspace_;
  std::unique_ptr<FilePreferences> preferences_;
  std::unique_ptr<XdgAutostartLoginItems> loginItems_;
  UnavailableUpdater updater_;
  LinuxKeyboardKeys keyboardKeys_;
  XdgApplicationCatalog applicationCatalog_;
  LinuxBattery battery_;
  std::unique_ptr<LinuxPanels> panels_;
  // Last, so it stops before the workspace it reports to goes.
  std::unique_ptr<LogindSleepWatcher> sleepWatcher_;
};

}  // namespace tactora::lx
