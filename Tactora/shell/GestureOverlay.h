#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Platform/DispatchQueue.h"
#include "Platform/Panels.h"
#include "Tactora/GestureOverlayPresenting.h"
#include "Tactora/HeadsUpCountdown.h"
#include "Tactora/panel/HeadsUpPanel.h"
#include "Tactora/panel/PanelPresenter.h"

namespace tactora::shell {

// The gesture overlay on the desktop: names the gesture and the action it ran in a small panel
// near the bottom of the screen under the pointer, with the countdown of every heads-up panel
// (0.9 s at full opacity, then a 0.25 s fade; a new gesture starts it again). The desktop decides
// how the panel appears (see PanelPresenter). Its timing runs on the given main queue and clock,
// so tests drive it on virtual time.
class GestureOverlay final : public GestureOverlayPresenting {
 public:
  static constexpr int bottomDistance = 90;

  struct Screen {
    QRect frame;          // the whole screen, in global coordinates (top-left origin)
    QRect availableArea;  // without panels and docks
  };

  struct Environment {
    platform::DispatchQueue* mainQueue = nullptr;
    std::function<double()> nowSeconds;            // monotonic
    std::function<QPoint()> pointer;               // global pointer position
    std::function<std::vector<Screen>()> screens;  // the primary screen first
    // How this desktop takes the panel; null: as a window of its own.
    platform::Panels* panels = nullptr;
  };

  // The desktop's pointer and screens from Qt; time, queue and panels from the caller.
  static Environment qtEnvironment(platform::DispatchQueue& mainQueue,
                                   std::function<double()> nowSeconds,
                                   platform::Panels* panels = nullptr);

  explicit GestureOverlay(Environment environment);
  ~GestureOverlay() override;

  void show(const GestureEvent& event, const Action& action) override;
  // The same with a ready text (pictures of the overlay).
  void showText(const QString& text);

  // Where the window's top-left corner goes: centred on the available area of the screen under
  // the pointer (else the primary screen), its bottom edge 90 px above that area's bottom. None
  // when there is no screen at all.
  static std::optional<QPoint> placement(QSize panel, QPoint pointer,
                                         const std::vector<Screen>& screens);

  // Empty before the first show.
  HeadsUpPanel* panel() { return panel_.get(); }
  bool isShown() const { return countdown_->isShown(); }
  double alpha() const { return countdown_->alpha(); }

 private:
  Environment environment_;
  std::unique_ptr<HeadsUpPanel> panel_;
  std::unique_ptr<PanelPresenter> presenter_;
  std::shared_ptr<HeadsUpCountdown> countdown_;
};

}  // namespace tactora::shell
