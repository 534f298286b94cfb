#include "Tactora/updates/NoticePanel.h"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>

namespace tactora {

NoticePanel::NoticePanel(const QString& message, platform::RunLoop& mainQueue)
    : HeadsUpPanel(message), mainQueue_(mainQueue) {}

NoticePanel::~NoticePanel() {
  if (fadeItem_) {
    fadeItem_->cancel();
  }
}

QPoint NoticePanel::placement(QSize size, const QRect& availableGeometry) {
  const int x = availableGeometry.x() + (availableGeometry.width() - size.width()) / 2;
  const int y = availableGeometry.y() + bottomBelowTopPoints - size.height();
  return {x, y};
}

void NoticePanel::present() {
  resize(sizeHint());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(placement(size(), screen->availableGeometry()));
  }
  setWindowOpacity(1.0);
  show();
  raise();

  QPointer<NoticePanel> self(this);
  if (fadeItem_) {
    fadeItem_->cancel();
  }
  fadeItem_ = mainQueue_.asyncAfter(shownSeconds, [self] {
    if (self) {
      self->fadeOut();
    }
  });
}

void NoticePanel::fadeOut() {
  fadeItem_.reset();
  fade_ = new QPropertyAnimation(this, "windowOpacity", this);
  fade_->setDuration(fadeMilliseconds);
  fade_->setStartValue(1.0);
  fade_->setEndValue(0.0);
  connect(fade_, &QPropertyAnimation::finished, this, [this] {
    hide();
    deleteLater();
  });
  fade_->start();
}

}  // namespace tactora
