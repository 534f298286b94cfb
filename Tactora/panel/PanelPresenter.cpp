#include "Tactora/panel/PanelPresenter.h"

#include <QPainter>

#include "Platform/Logger.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"AppDelegate"};

}  // namespace

PanelPresenter::PanelPresenter(HeadsUpPanel& panel, platform::Panels* panels, Placement placement)
    : panel_(panel),
      panels_(panels),
      placement_(std::move(placement)),
      kind_(panels != nullptr ? panels->kind() : platform::PanelKind::unmanagedWindow) {}

PanelPresenter::~PanelPresenter() = default;

void PanelPresenter::show() {
  switch (kind_) {
    case platform::PanelKind::unmanagedWindow:
      panel_.resize(panel_.fittingSize());
      if (placement_.windowPosition) {
        if (auto topLeft = placement_.windowPosition(panel_.size())) {
          panel_.move(*topLeft);
        }
      }
      panel_.setWindowOpacity(1.0);
      panel_.show();
      panel_.raise();
      return;
    case platform::PanelKind::overlaySurface: {
      panel_.resize(panel_.fittingSize());
      picture_ = QImage(panel_.size(), QImage::Format_ARGB32_Premultiplied);
      picture_.fill(Qt::transparent);
      panel_.render(&picture_, QPoint(), QRegion(), QWidget::DrawChildren);
      showPicture(1.0);
      return;
    }
    case platform::PanelKind::drawnByShell:
      noteShown(panels_->showInShell(panel_.text().toStdString()),
                "the desktop's shell did not draw it (tactora doctor tells why)");
      return;
    case platform::PanelKind::none:
      return;
  }
}

void PanelPresenter::setAlpha(double alpha) {
  switch (kind_) {
    case platform::PanelKind::unmanagedWindow:
      panel_.setWindowOpacity(alpha);
      return;
    case platform::PanelKind::overlaySurface:
      if (surface_) {
        showPicture(alpha);
      }
      return;
    case platform::PanelKind::drawnByShell:  // the shell fades its own panel
    case platform::PanelKind::none:
      return;
  }
}

void PanelPresenter::hide() {
  switch (kind_) {
    case platform::PanelKind::unmanagedWindow:
      panel_.hide();
      return;
    case platform::PanelKind::overlaySurface:
      if (surface_) {
        surface_->hide();
      }
      return;
    case platform::PanelKind::drawnByShell:
    case platform::PanelKind::none:
      return;
  }
}

void PanelPresenter::showPicture(double alpha) {
  QImage faded = picture_;
  if (alpha < 1.0) {
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(alpha);
    painter.drawImage(0, 0, picture_);
  }
  if (!surface_) {
    surface_ = panels_->makeSurface();
  }
  const platform::PanelPicture picture{faded.width(), faded.height(),
                                       static_cast<int>(faded.bytesPerLine()), faded.constBits()};
  noteShown(surface_ && surface_->show(picture, placement_.anchor(faded.size())),
            "the Wayland compositor did not take its surface");
}

void PanelPresenter::noteShown(bool shown, const char* failure) {
  if (!shown && !failing_) {
    logger.error("a heads-up panel (\"%{public}s\") was not shown: %{public}s",
                 {panel_.text().toStdString(), std::string(failure)});
  }
  failing_ = !shown;
}

}  // namespace tactora
