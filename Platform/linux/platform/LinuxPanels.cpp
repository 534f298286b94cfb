#include "Platform/linux/platform/LinuxPanels.h"

#include "Platform/linux/posting/DesktopFamily.h"
#ifdef TACTORA_HAVE_WAYLAND
#include "Platform/linux/wayland/LayerShell.h"
#include "Platform/linux/wayland/LayerShellSurface.h"
#endif
#ifdef TACTORA_HAVE_GNOME
#include "Platform/linux/bus/SessionBus.h"
#include "Platform/linux/gnome/GnomeExtensionClient.h"
#endif

namespace tactora::lx {

#ifndef TACTORA_HAVE_GNOME
class GnomeExtensionClient {
 public:
  bool showOverlay(std::string_view) const { return false; }
};
#endif

LinuxPanels::LinuxPanels(DesktopServices::Session session, bool x11Reachable)
    : session_(std::move(session)), x11Reachable_(x11Reachable) {}

LinuxPanels::~LinuxPanels() = default;

platform::PanelKind LinuxPanels::kind() {
  choose();
  return *kind_;
}

std::string LinuxPanels::description() {
  choose();
  return description_;
}

std::unique_ptr<platform::PanelSurface> LinuxPanels::makeSurface() {
  choose();
#ifdef TACTORA_HAVE_WAYLAND
  if (kind_ == platform::PanelKind::overlaySurface) {
    return std::make_unique<LayerShellSurface>();
  }
#endif
  return nullptr;
}

bool LinuxPanels::showInShell(std::string_view text) {
  choose();
  return extension_ && extension_->showOverlay(text);
}

void LinuxPanels::choose() {
  if (kind_) {
    return;
  }
  using platform::PanelKind;
  if (!session_.wayland) {
    if (x11Reachable_) {
      kind_ = PanelKind::unmanagedWindow;
      description_ = "a window the X11 window manager leaves alone (override-redirect)";
    } else {
      kind_ = PanelKind::none;
      description_ = "neither an X server nor a Wayland compositor answers";
    }
    return;
  }
  if (desktopFamilyFromCurrentDesktop(session_.currentDesktop) == DesktopFamily::gnome) {
#ifdef TACTORA_HAVE_GNOME
    if (session_.useSessionBus) {
      extension_ = std::make_unique<GnomeExtensionClient>(std::make_shared<SessionBus>());
      kind_ = PanelKind::drawnByShell;
      description_ = "drawn by the GNOME Shell extension";
      return;
    }
#endif
    kind_ = PanelKind::none;
    description_ = "on GNOME's Wayland session only the GNOME Shell extension can show it";
    return;
  }
#ifdef TACTORA_HAVE_WAYLAND
  // Asked once: each surface connects by itself while it is up.
  std::string whyNot;
  if (LayerShell::connect(&whyNot)) {
    kind_ = PanelKind::overlaySurface;
    description_ = "a layer-shell surface on the compositor's overlay layer";
    return;
  }
#else
  const std::string whyNot = "this build of Tactora has no Wayland support";
#endif
  kind_ = PanelKind::none;
  description_ = whyNot;
}

}  // namespace tactora::lx
