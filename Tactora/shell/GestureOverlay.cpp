#include "Tactora/shell/GestureOverlay.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "Tactora/HeadlessGestureOverlay.h"

namespace tactora::shell {

GestureOverlay::Environment GestureOverlay::qtEnvironment(platform::DispatchQueue& mainQueue,
                                                          std::function<double()> nowSeconds) {
  Environment environment;
  environment.mainQueue = &mainQueue;
  environment.nowSeconds = std::move(nowSeconds);
  environment.pointer = [] { return QCursor::pos(); };
  environment.screens = [] {
    std::vector<Screen> screens;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
      screens.push_back({primary->geometry(), primary->availableGeometry()});
    }
    for (QScreen* screen : QGuiApplication::screens()) {
      if (screen != primary) {
        screens.push_back({screen->geometry(), screen->availableGeometry()});
      }
    }
    return screens;
  };
  return environment;
}

GestureOverlay::GestureOverlay(Environment environment) : environment_(std::move(environment)) {}

GestureOverlay::~GestureOverlay() {
  if (hideWorkItem_) {
    hideWorkItem_->cancel();
  }
  if (fadeTimer_) {
    fadeTimer_->invalidate();
  }
}

std::optional<QPoint> GestureOverlay::placement(QSize panel, QPoint pointer,
                                                const std::vector<Screen>& screens) {
  if (screens.empty()) {
    return std::nullopt;
  }
  const Screen* target = &screens.front();
  for (const Screen& screen : screens) {
    if (screen.frame.contains(pointer)) {
      target = &screen;
      break;
    }
  }
  const QRect& area = target->availableArea;
  return QPoint(area.x() + (area.width() - panel.width()) / 2,
                area.y() + area.height() - bottomDistance - panel.height());
}

void GestureOverlay::show(const GestureEvent& event, const Action& action) {
  showText(QString::fromStdString(HeadlessGestureOverlay::textFor(event, action)));
}

void GestureOverlay::showText(const QString& text) {
  if (!panel_) {
    panel_ = std::make_unique<HeadsUpPanel>();
    panel_->setWindowTitle(QStringLiteral("Tactora gesture"));
  }
  panel_->setText(text);
  panel_->resize(panel_->fittingSize());
  if (environment_.screens) {
    const QPoint pointer = environment_.pointer ? environment_.pointer() : QPoint();
    if (auto topLeft = placement(panel_->size(), pointer, environment_.screens())) {
      panel_->move(*topLeft);
    }
  }

  if (hideWorkItem_) {
    hideWorkItem_->cancel();
  }
  // A fade in progress stops here, so its end cannot take the renewed panel off the screen.
  if (fadeTimer_) {
    fadeTimer_->invalidate();
    fadeTimer_.reset();
  }
  setAlpha(1.0);
  panel_->show();
  panel_->raise();

  std::weak_ptr<GestureOverlay> weak = weak_from_this();
  hideWorkItem_ = environment_.mainQueue->asyncAfter(shownSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->fadeOut();
    }
  });
}

void GestureOverlay::fadeOut() {
  if (!panel_) {
    return;
  }
  fadeStartedAt_ = environment_.nowSeconds();
  std::weak_ptr<GestureOverlay> weak = weak_from_this();
  fadeTimer_ = environment_.mainQueue->scheduleRepeating(fadeStepSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->fadeStep();
    }
  });
}

void GestureOverlay::fadeStep() {
  const double progress = (environment_.nowSeconds() - fadeStartedAt_) / fadeSeconds;
  // Steps of a sixtieth add up to the fade time only within rounding.
  if (progress < 1.0 - 1e-6) {
    setAlpha(1.0 - progress);
    return;
  }
  setAlpha(0);
  fadeTimer_->invalidate();
  fadeTimer_.reset();
  panel_->hide();
}

void GestureOverlay::setAlpha(double alpha) {
  alpha_ = alpha;
  panel_->setWindowOpacity(alpha);
}

}  // namespace tactora::shell
