#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>

#include "Platform/Panels.h"
#include "Tactora/panel/HeadsUpPanel.h"

namespace tactora {

// Puts a heads-up panel on the screen the way this desktop takes one: as the panel's own window
// where the window manager leaves such windows alone, as pictures of the panel on an overlay
// surface, or as its text for the desktop's shell to draw; nowhere where the desktop takes none
// (never as an ordinary window, which would take the focus and be tiled and listed). The caller
// times it: `show`, then `setAlpha` for each step of the fade, then `hide`.
class PanelPresenter {
 public:
  struct Placement {
    // Where the window's top-left corner goes for a panel of that size; nothing: where it is.
    std::function<std::optional<QPoint>(QSize)> windowPosition;
    // Where an overlay surface for a panel of that size goes.
    std::function<platform::PanelAnchor(QSize)> anchor;
  };

  // `panels` null: always the panel's own window (pictures of the panel, tests off any desktop).
  PanelPresenter(HeadsUpPanel& panel, platform::Panels* panels, Placement placement);
  ~PanelPresenter();
  PanelPresenter(const PanelPresenter&) = delete;
  PanelPresenter& operator=(const PanelPresenter&) = delete;

  // The panel's current text at full opacity, the panel sized to fit it and placed.
  void show();
  void setAlpha(double alpha);
  void hide();

  platform::PanelKind kind() const { return kind_; }

 private:
  void showPicture(double alpha);
  // Logs the first of a series of failures; a success ends the series.
  void noteShown(bool shown, const char* failure);

  HeadsUpPanel& panel_;
  platform::Panels* panels_;
  Placement placement_;
  platform::PanelKind kind_;
  std::unique_ptr<platform::PanelSurface> surface_;
  QImage picture_;  // the panel at full opacity, for the steps of the fade
  bool failing_ = false;
};

}  // namespace tactora
