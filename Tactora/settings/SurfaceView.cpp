#include "Tactora/settings/SurfaceView.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

#include "Tactora/presentation/GestureDescription.h"
#include "Tactora/settings/FormSection.h"
#include "Tactora/settings/SurfaceFrameSource.h"

namespace tactora::settings {

namespace {

constexpr int drawingMargin = 4;
constexpr int textGap = 20;

float surfaceWidthPixels(const SurfaceSnapshot& snapshot) {
  const SizeF size = snapshot.surfaceSizeMM;
  const bool plausible = size.width > 0 && size.height > 0;
  const SizeF used = plausible ? size : SurfaceSnapshot::defaultSurfaceSizeMM;
  return static_cast<float>(SurfaceView::drawingHeight) * used.width / used.height;
}

}  // namespace

SurfaceView::SurfaceView(SurfaceFrameSource* frames, QWidget* parent)
    : QWidget(parent), frames_(frames) {
  setMinimumHeight(drawingHeight + 2 * drawingMargin);
  setAccessibleName(QStringLiteral("Live view of the mouse surface"));
  auto* texts = new QVBoxLayout(this);
  const int left = drawingMargin + static_cast<int>(surfaceWidthPixels(snapshot_)) + textGap;
  texts->setContentsMargins(left, drawingMargin, 0, drawingMargin);
  texts->setSpacing(4);
  contacts_ = new QLabel(this);
  frameCount_ = new QLabel(this);
  lastGesture_ = new QLabel(this);
  zoneText_ = new QLabel(this);
  FormSection::makeCaption(zoneText_);
  auto* intro = new QLabel(
      QStringLiteral("Touch the mouse to see your fingers here. The shaded corner is where a "
                     "one-finger tap counts as a right-side tap."),
      this);
  FormSection::makeCaption(intro);
  texts->addWidget(contacts_);
  texts->addWidget(frameCount_);
  texts->addWidget(lastGesture_);
  texts->addStretch(1);
  texts->addWidget(zoneText_);
  texts->addWidget(intro);

  refresh_.setInterval(refreshIntervalMs);
  connect(&refresh_, &QTimer::timeout, this, [this] { poll(); });
  updateTexts();
}

void SurfaceView::setZone(float minX, float minY) {
  if (minX == zoneMinX_ && minY == zoneMinY_) {
    return;
  }
  zoneMinX_ = minX;
  zoneMinY_ = minY;
  updateTexts();
  update();
}

void SurfaceView::poll() {
  if (frames_ != nullptr && frames_->takeLatest(snapshot_)) {
    updateTexts();
    update();
  }
}

QRectF SurfaceView::surfaceRect() const {
  return {static_cast<qreal>(drawingMargin), static_cast<qreal>(drawingMargin),
          surfaceWidthPixels(snapshot_), static_cast<qreal>(drawingHeight)};
}

QRectF SurfaceView::zoneRect() const {
  // Fractions run from the left and back edges; the back edge is drawn at the bottom. A
  // hand-edited file may hold values outside 0…1: the zone is clipped to the surface.
  const QRectF surface = surfaceRect();
  const qreal left = surface.left() + std::clamp<qreal>(zoneMinX_, 0, 1) * surface.width();
  const qreal bottom = surface.bottom() - std::clamp<qreal>(zoneMinY_, 0, 1) * surface.height();
  return QRectF(QPointF(left, surface.top()), QPointF(surface.right(), bottom));
}

void SurfaceView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF surface = surfaceRect();
  const qreal corner = surface.width() * 0.42;
  QPainterPath outline;
  outline.addRoundedRect(surface, corner, corner * 0.8);

  const QPalette& colours = palette();
  painter.fillPath(outline, colours.color(QPalette::Base));
  painter.save();
  painter.setClipPath(outline);
  QColor zoneColour = colours.color(QPalette::Highlight);
  zoneColour.setAlphaF(0.28f);
  painter.fillRect(zoneRect(), zoneColour);
  painter.restore();
  painter.setPen(QPen(colours.color(QPalette::Mid), 1.5));
  painter.drawPath(outline);

  // A small notch marks the front edge, where the user's fingertips point.
  painter.setPen(QPen(colours.color(QPalette::PlaceholderText), 1.5));
  const qreal notchY = surface.top() + 10;
  painter.drawLine(QPointF(surface.center().x() - 6, notchY),
                   QPointF(surface.center().x() + 6, notchY));

  const qreal pixelsPerMM = surface.width() / std::max(snapshot_.surfaceSizeMM.width, 1.0f);
  const qreal radius = fingertipDiameterMM * pixelsPerMM / 2;
  const QColor contactColour = colours.color(QPalette::Highlight);
  for (std::size_t i = 0; i < snapshot_.contactCount; ++i) {
    const SurfaceContact& contact = snapshot_.contacts[i];
    const QPointF centre(surface.left() + contact.x * surface.width(),
                         surface.bottom() - contact.y * surface.height());
    painter.setPen(QPen(contactColour, 2));
    painter.setBrush(contact.lifting ? Qt::NoBrush : QBrush(contactColour));
    painter.drawEllipse(centre, radius, radius);
  }
}

void SurfaceView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (frames_ != nullptr) {
    refresh_.start();
  }
}

void SurfaceView::hideEvent(QHideEvent* event) {
  refresh_.stop();
  QWidget::hideEvent(event);
}

void SurfaceView::updateTexts() {
  if (frames_ == nullptr) {
    contacts_->setText(QStringLiteral("No live input in this session"));
    frameCount_->clear();
    lastGesture_->clear();
  } else {
    std::size_t touching = 0;
    for (std::size_t i = 0; i < snapshot_.contactCount; ++i) {
      touching += snapshot_.contacts[i].lifting ? 0 : 1;
    }
    contacts_->setText(QStringLiteral("Fingers on the surface: %1").arg(touching));
    frameCount_->setText(QStringLiteral("Frames received: %1").arg(snapshot_.frameCount));
    lastGesture_->setText(
        QStringLiteral("Last gesture: %1")
            .arg(snapshot_.lastGesture
                     ? QString::fromStdString(GestureDescription::title(*snapshot_.lastGesture))
                     : QStringLiteral("none yet")));
  }
  zoneText_->setText(
      QStringLiteral("Right-side zone: from %1 across, from %2 towards the front")
          .arg(QString::number(zoneMinX_, 'f', 2), QString::number(zoneMinY_, 'f', 2)));
}

}  // namespace tactora::settings
