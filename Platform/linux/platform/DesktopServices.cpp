#include "Platform/linux/platform/DesktopServices.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include "Platform/linux/kde/KdeDesktop.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/wlroots/SwayIpc.h"
#include "Platform/linux/wlroots/WlrootsDesktop.h"
#ifdef TACTORA_HAVE_GNOME
#include "Platform/linux/gnome/GnomeDesktop.h"
#endif
#include "Platform/linux/x11/EwmhWindowManager.h"
#include "Platform/linux/x11/X11FrontApplication.h"

namespace tactora::lx {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool containsIgnoringCase(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const auto colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    if (entry.size() == name.size()) {
      bool same = true;
      for (std::size_t i = 0; i < entry.size() && same; ++i) {
        same = std::tolower(static_cast<unsigned char>(entry[i])) ==
               std::tolower(static_cast<unsigned char>(name[i]));
      }
      if (same) {
        return true;
      }
    }
    if (colon == std::string_view::npos) {
      break;
    }
    list.remove_prefix(colon + 1);
  }
  return false;
}

// What an EWMH window manager does on an X11 session.
DesktopFunctions x11Functions(const std::shared_ptr<X11Connection>& x11,
                              const std::shared_ptr<const ApplicationIndex>& applications) {
  DesktopFunctions functions;
  if (!x11) {
    return functions;
  }
  functions.frontApplication = [front = std::make_shared<X11FrontApplication>(x11, applications)] {
    return front->activeApplicationId();
  };
  functions.frontApplicationSource = "X11 _NET_ACTIVE_WINDOW";

  const EwmhWindowManager::Functions manager = EwmhWindowManager::functions(x11);
  if (manager.switchWorkspace) {
    functions.switchWorkspace = [switchWorkspace =
                                     manager.switchWorkspace](WorkspaceDirection direction) {
      return switchWorkspace(direction == WorkspaceDirection::right
                                 ? EwmhWindowManager::Direction::right
                                 : EwmhWindowManager::Direction::left);
    };
    functions.workspaceSource = "EWMH _NET_CURRENT_DESKTOP";
  }
  if (manager.toggleShowingDesktop) {
    functions.dockNotification = [toggle = manager.toggleShowingDesktop](std::string_view name) {
      return name == dockNotification::showDesktop && toggle();
    };
    functions.dockNotificationSource = "EWMH _NET_SHOWING_DESKTOP (Show Desktop only)";
  }
  if (manager.closeActiveWindow) {
    functions.closeActiveWindow = manager.closeActiveWindow;
    functions.closeActiveWindowSource = "EWMH _NET_CLOSE_WINDOW";
  }
  return functions;
}

}  // namespace

DesktopServices::Session DesktopServices::Session::fromEnvironment() {
  Session session;
  session.type = environment("XDG_SESSION_TYPE");
  session.currentDesktop = environment("XDG_CURRENT_DESKTOP");
  // A Wayland display decides, whatever logind says: sway started from a console login runs in
  // a session of type "tty".
  session.wayland = session.type == "wayland" || !environment("WAYLAND_DISPLAY").empty();
  session.sway =
      !environment("SWAYSOCK").empty() || containsIgnoringCase(session.currentDesktop, "sway");
  session.hyprland = !environment("HYPRLAND_INSTANCE_SIGNATURE").empty() ||
                     containsIgnoringCase(session.currentDesktop, "Hyprland");
  // Started by something other than sway (a user service, another program's autostart), the
  // process may have no $SWAYSOCK: a sway of this user answering in the runtime folder is the
  // desktop, unless the session names another one.
  if (!session.sway && !session.hyprland && session.type != "x11" &&
      desktopFamilyFromCurrentDesktop(session.currentDesktop) == DesktopFamily::other) {
    session.sway = !SwayIpc::socketIn(environment("XDG_RUNTIME_DIR"), ::getuid()).empty();
  }
  session.wayland = session.wayland || session.sway || session.hyprland;
  return session;
}

std::string DesktopServices::Session::description() const {
  std::string desktop;
  switch (desktopFamilyFromCurrentDesktop(currentDesktop)) {
    case DesktopFamily::gnome:
      desktop = "GNOME";
      break;
    case DesktopFamily::kde:
      desktop = "KDE Plasma";
      break;
    case DesktopFamily::other:
      desktop = sway ? "sway" : hyprland ? "Hyprland" : currentDesktop;
      break;
  }
  const std::string kind = wayland ? "Wayland" : type == "x11" ? "X11" : "";
  if (desktop.empty()) {
    return kind.empty() ? "an unknown session" : "a " + kind + " session";
  }
  return kind.empty() ? desktop : desktop + " on " + kind;
}

DesktopFunctions DesktopServices::assemble(
    const Session& session, const std::shared_ptr<X11Connection>& x11Connection,
    const std::shared_ptr<const ApplicationIndex>& applications) {
  DesktopFunctions functions;
  // On X11 the active window is one cheap request away and never stale, so it wins over a
  // desktop's own report; on Wayland only the desktop can tell.
  DesktopFunctions x11;
  if (!session.wayland) {
    x11 = x11Functions(x11Connection, applications);
    functions.frontApplication = x11.frontApplication;
    functions.frontApplicationSource = x11.frontApplicationSource;
  }
  const DesktopFamily family = desktopFamilyFromCurrentDesktop(session.currentDesktop);
  if (session.useSessionBus) {
#ifdef TACTORA_HAVE_GNOME
    if (family == DesktopFamily::gnome) {
      functions.fillFrom(GnomeDesktop::functions());
    }
#endif
    if (family == DesktopFamily::kde) {
      // KWin's script runs only where the X server cannot tell the active window.
      functions.fillFrom(KdeDesktop::functions(
          applications, /*frontApplicationFromKWin=*/!functions.frontApplication));
    }
  }
  if (session.sway || session.hyprland) {
    functions.fillFrom(
        WlrootsDesktop::functions(WlrootsDesktop::socketsFromEnvironment(), applications));
  }
  functions.fillFrom(x11);
  return functions;
}

std::optional<std::string> DesktopServices::gnomeExtensionReport(
    [[maybe_unused]] const Session& session) {
#ifdef TACTORA_HAVE_GNOME
  if (session.useSessionBus &&
      desktopFamilyFromCurrentDesktop(session.currentDesktop) == DesktopFamily::gnome) {
    return GnomeDesktop::extensionReport(std::make_shared<SessionBus>(),
                                         ApplicationIndex::dataDirectoriesFromEnvironment());
  }
#endif
  return std::nullopt;
}

}  // namespace tactora::lx
