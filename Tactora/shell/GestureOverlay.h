#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Platform/DispatchQueue.h"
#include "Platform/RepeatingTimer.h"
#include "Platform/WorkItem.h"
#include "Tactora/GestureOverlayPresenting.h"
#include "Tactora/panel/HeadsUpPanel.h"

namespace tactora::shell {

// The gesture overlay on the desktop: names the gesture and the action it ran in a small panel
// near the bottom of the screen under the pointer, 0.9 s at full opacity and then a 0.25 s fade.
// A new gesture restarts the countdown and, during the fade, brings the panel back at once.
// Its timing runs on the given main queue and clock, so tests drive it on virtual time.
class GestureOverlay final : public GestureOverlayPresenting,
                             public std::enable_shared_from_this<GestureOverlay> {
 public:
  static constexpr double shownSeconds = 0.9;
  static constexpr double fadeSeconds = 0.25;
  static constexpr double fadeStepSeconds = 1.0 / 60;
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
  };

  // The desktop's pointer and screens from Qt; time and queue from the caller.
  static Environment qtEnvironment(platform::DispatchQueue& mainQueue,
                                   std::function<double()> nowSeconds);

  explicit GestureOverlay(Environment environment);
  ~GestureOverlay() override;

  void show(const GestureEvent& event, const Action& action) override;
  // The same with a ready text (screenshots, the version notice's look).
  void showText(const QString& text);

  // Where the panel's top-left corner goes: centred on the available area of the screen under
  // the pointer (else the primary screen), its bottom edge 90 px above that area's bottom.
  // None when there is no screen at all.
  static std::optional<QPoint> placement(QSize panel, QPoint pointer,
                                         const std::vector<Screen>& screens);

  // Empty before the first show.
  HeadsUpPanel* panel() { return panel_.get(); }
  bool isShown() const { return panel_ && panel_->isVisible(); }
  double alpha() const { return alpha_; }

 private:
  void fadeOut();
  void fadeStep();
  void setAlpha(double alpha);

  Environment environment_;
  std::unique_ptr<HeadsUpPanel> panel_;
  double alpha_ = 0;
  std::shared_ptr<platform::WorkItem> hideWorkItem_;
  std::shared_ptr<platform::RepeatingTimer> fadeTimer_;
  double fadeStartedAt_ = 0;
};

}  // namespace tactora::shell
