#include "Tactora/updates/NoticePanel.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>

namespace tactora {

namespace {

constexpr int initialWidthPoints = 260;
constexpr int initialHeightPoints = 44;
// A dark, slightly see-through plate with light text, legible over any desktop.
const QColor plateColor(28, 28, 30, 215);
const QColor textColor(255, 255, 255, 235);

}  // namespace

NoticePanel::NoticePanel(const QString& message, platform::RunLoop& mainQueue)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | Qt::Tool | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      mainQueue_(mainQueue) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);

  label_ = new QLabel(message, this);
  QFont font = label_->font();
  font.setWeight(QFont::Medium);
  label_->setFont(font);
  label_->setAlignment(Qt::AlignCenter);
  QPalette palette = label_->palette();
  palette.setColor(QPalette::WindowText, textColor);
  label_->setPalette(palette);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(horizontalMarginPoints, verticalMarginPoints, horizontalMarginPoints,
                             verticalMarginPoints);
  layout->addWidget(label_);
  resize(initialWidthPoints, initialHeightPoints);
}

NoticePanel::~NoticePanel() {
  if (fadeItem_) {
    fadeItem_->cancel();
  }
}

QString NoticePanel::message() const {
  return label_->text();
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

void NoticePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath plate;
  plate.addRoundedRect(QRectF(rect()), cornerRadiusPoints, cornerRadiusPoints);
  painter.fillPath(plate, plateColor);
}

}  // namespace tactora
