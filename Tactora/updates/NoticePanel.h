#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

#include "Platform/Panels.h"
#include "Platform/RunLoop.h"
#include "Tactora/HeadsUpCountdown.h"
#include "Tactora/panel/HeadsUpPanel.h"
#include "Tactora/panel/PanelPresenter.h"

namespace tactora {

// A transient heads-up panel near the top of the screen, shown the way the desktop takes
// heads-up panels (see PanelPresenter): 3.5 s at full opacity, then a 0.4 s fade, after which it
// deletes itself.
class NoticePanel final : public HeadsUpPanel {
 public:
  static constexpr int bottomBelowTopPoints = 80;

  // The fade runs on `mainQueue` and `nowSeconds` (empty: the process's monotonic clock), so
  // tests run it on virtual time. `panels` null: the panel's own window.
  NoticePanel(const QString& message, platform::RunLoop& mainQueue,
              platform::Panels* panels = nullptr, std::function<double()> nowSeconds = {});
  ~NoticePanel() override;
  NoticePanel(const NoticePanel&) = delete;
  NoticePanel& operator=(const NoticePanel&) = delete;

  // Sizes the panel to its text, places it on the primary screen, shows it without activating
  // anything and starts the countdown.
  void present();
  // Where a window of `size` goes in a screen's available area: centred, its bottom edge 80
  // points below the top.
  static QPoint placement(QSize size, const QRect& availableGeometry);

  QString message() const { return text(); }
  double alpha() const { return countdown_->alpha(); }

 private:
  PanelPresenter presenter_;
  std::shared_ptr<HeadsUpCountdown> countdown_;
};

}  // namespace tactora
