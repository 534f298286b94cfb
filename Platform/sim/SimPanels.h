#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Panels.h"

namespace tactora::sim {

// Heads-up panels on a desktop a test chooses: the kind is set, every text asked of the shell and
// every picture put on an overlay surface is recorded, in order. Defaults to unmanaged windows,
// the way the simulated application shows its panels as toolkit windows.
class SimPanels : public platform::Panels {
 public:
  // One thing a surface did: a picture shown (its size, its place and its most opaque pixel's
  // alpha, 0-255) or the surface hidden.
  struct SurfaceEvent {
    bool shown = false;
    int width = 0;
    int height = 0;
    platform::PanelAnchor anchor;
    int peakAlpha = 0;
  };

  platform::PanelKind kind() override { return kind_; }
  std::string description() override { return description_; }
  std::unique_ptr<platform::PanelSurface> makeSurface() override;
  bool showInShell(std::string_view text) override;

  void setKind(platform::PanelKind kind, std::string description = "simulated");
  // Whether the shell answers showInShell.
  void setShellAnswers(bool answers) { shellAnswers_ = answers; }

  const std::vector<std::string>& shellTexts() const { return shellTexts_; }
  const std::vector<SurfaceEvent>& surfaceEvents() const { return surfaceEvents_; }
  int surfacesMade() const { return surfacesMade_; }

 private:
  class Surface;

  platform::PanelKind kind_ = platform::PanelKind::unmanagedWindow;
  std::string description_ = "simulated";
  bool shellAnswers_ = true;
  std::vector<std::string> shellTexts_;
  std::vector<SurfaceEvent> surfaceEvents_;
  int surfacesMade_ = 0;
};

}  // namespace tactora::sim
