#include "Tactora/updates/NoticePanel.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace tactora {

namespace {

PanelPresenter::Placement noticePlacement() {
  PanelPresenter::Placement place;
  place.windowPosition = [](QSize size) -> std::optional<QPoint> {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      return NoticePanel::placement(size, screen->availableGeometry());
    }
    return std::nullopt;
  };
  place.anchor = [](QSize size) {
    return platform::PanelAnchor{platform::PanelAnchor::Edge::top,
                                 std::max(0, NoticePanel::bottomBelowTopPoints - size.height())};
  };
  return place;
}

}  // namespace

NoticePanel::NoticePanel(const QString& message, platform::RunLoop& mainQueue,
                         platform::Panels* panels, std::function<double()> nowSeconds)
    : HeadsUpPanel(message), presenter_(*this, panels, noticePlacement()) {
  countdown_ = std::make_shared<HeadsUpCountdown>(
      mainQueue, std::move(nowSeconds), HeadsUpCountdown::updateNotice,
      HeadsUpCountdown::Hooks{[this](double alpha) {
                                if (alpha > 0 && alpha < 1.0) {
                                  presenter_.setAlpha(alpha);
                                }
                              },
                              [this] {
                                presenter_.hide();
                                deleteLater();
                              }});
}

NoticePanel::~NoticePanel() = default;

QPoint NoticePanel::placement(QSize size, const QRect& availableGeometry) {
  const int x = availableGeometry.x() + (availableGeometry.width() - size.width()) / 2;
  const int y = availableGeometry.y() + bottomBelowTopPoints - size.height();
  return {x, y};
}

void NoticePanel::present() {
  presenter_.show();
  countdown_->restart();
}

}  // namespace tactora
