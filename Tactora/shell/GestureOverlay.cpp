#include "Tactora/shell/GestureOverlay.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "Tactora/HeadlessGestureOverlay.h"

namespace tactora::shell {

GestureOverlay::Environment GestureOverlay::qtEnvironment(platform::DispatchQueue& mainQueue,
                                                          std::function<double()> nowSeconds,
                                                          platform::Panels* panels) {
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
  environment.panels = panels;
  return environment;
}

GestureOverlay::GestureOverlay(Environment environment) : environment_(std::move(environment)) {
  countdown_ = std::make_shared<HeadsUpCountdown>(
      *environment_.mainQueue, environment_.nowSeconds, HeadsUpCountdown::gestureOverlay,
      HeadsUpCountdown::Hooks{
          // Full opacity comes with a new text, which showText has put on the screen already;
          // the fade's end hides the panel.
          [this](double alpha) {
            if (alpha > 0 && alpha < 1.0) {
              presenter_->setAlpha(alpha);
            }
          },
          [this] { presenter_->hide(); }});
}

GestureOverlay::~GestureOverlay() = default;

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
    PanelPresenter::Placement place;
    place.windowPosition = [this](QSize size) -> std::optional<QPoint> {
      if (!environment_.screens) {
        return std::nullopt;
      }
      const QPoint pointer = environment_.pointer ? environment_.pointer() : QPoint();
      return placement(size, pointer, environment_.screens());
    };
    place.anchor = [](QSize) {
      return platform::PanelAnchor{platform::PanelAnchor::Edge::bottom, bottomDistance};
    };
    presenter_ = std::make_unique<PanelPresenter>(*panel_, environment_.panels, std::move(place));
  }
  panel_->setText(text);
  presenter_->show();
  countdown_->restart();
}

}  // namespace tactora::shell
