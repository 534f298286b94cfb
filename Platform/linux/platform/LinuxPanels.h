#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Panels.h"
#include "Platform/linux/platform/DesktopServices.h"

namespace tactora::lx {

class GnomeExtensionClient;

// Heads-up panels on a Linux desktop, chosen from the session the first time they are asked
// about: on X11 the toolkit's override-redirect window; on GNOME's Wayland session our Shell
// extension draws them; on other Wayland compositors a layer-shell surface on a connection of our
// own when the compositor offers layer-shell; nothing anywhere else (an ordinary window would take
// the focus and be tiled, listed and moved like the user's windows).
class LinuxPanels final : public platform::Panels {
 public:
  LinuxPanels(DesktopServices::Session session, bool x11Reachable);
  ~LinuxPanels() override;
  LinuxPanels(const LinuxPanels&) = delete;
  LinuxPanels& operator=(const LinuxPanels&) = delete;

  platform::PanelKind kind() override;
  std::string description() override;
  std::unique_ptr<platform::PanelSurface> makeSurface() override;
  bool showInShell(std::string_view text) override;

 private:
  void choose();

  const DesktopServices::Session session_;
  const bool x11Reachable_;
  std::optional<platform::PanelKind> kind_;
  std::string description_;
  std::unique_ptr<GnomeExtensionClient> extension_;
};

}  // namespace tactora::lx
