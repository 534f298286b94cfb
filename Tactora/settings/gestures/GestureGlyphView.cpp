#include "Tactora/settings/gestures/GestureGlyphView.h"

#include <type_traits>
#include <variant>

#include <QPainter>
#include <QPainterPath>

#include "Tactora/presentation/GestureGlyph.h"

namespace tactora {

namespace {

QPointF toQt(GestureGlyph::Point point) {
  return {point.x, point.y};
}

QRectF toQt(GestureGlyph::Rect rect) {
  return {rect.x, rect.y, rect.width, rect.height};
}

// The secondary colour is the text colour; the accent is the highlight, lifted a little on dark
// backgrounds where a saturated highlight sinks into the window.
QColor colorOf(GestureGlyph::Paint paint, const QPalette& palette) {
  QColor color;
  switch (paint.role) {
    case GestureGlyph::ColorRole::secondary:
      color = palette.color(QPalette::WindowText);
      break;
    case GestureGlyph::ColorRole::accent:
      color = palette.color(QPalette::Highlight);
      if (palette.color(QPalette::Window).lightnessF() < 0.5) {
        color = color.lighter(135);
      }
      break;
  }
  color.setAlphaF(static_cast<float>(color.alphaF() * paint.opacity));
  return color;
}

}  // namespace

GestureGlyphView::GestureGlyphView(const GestureEvent& gesture, QWidget* parent)
    : QWidget(parent), gesture_(gesture) {
  setFixedSize(static_cast<int>(GestureGlyph::widthPoints),
               static_cast<int>(GestureGlyph::heightPoints));
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GestureGlyphView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(painter, gesture_, palette());
}

void GestureGlyphView::paint(QPainter& painter, const GestureEvent& gesture,
                             const QPalette& palette) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath bodyOutline;
  for (const auto& shape : GestureGlyph{gesture}.shapes()) {
    std::visit(
        [&](const auto& item) {
          using T = std::decay_t<decltype(item)>;
          if constexpr (std::is_same_v<T, GestureGlyph::Body>) {
            bodyOutline = QPainterPath();
            bodyOutline.addRoundedRect(toQt(item.rect), item.cornerRadius, item.cornerRadius);
            painter.fillPath(bodyOutline, colorOf(item.fill, palette));
            painter.setPen(QPen(colorOf(item.stroke, palette), item.lineWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(bodyOutline);
          } else if constexpr (std::is_same_v<T, GestureGlyph::ZoneFill>) {
            painter.save();
            painter.setClipPath(bodyOutline);
            painter.fillRect(toQt(item.rect), colorOf(item.fill, palette));
            painter.restore();
          } else if constexpr (std::is_same_v<T, GestureGlyph::Dot>) {
            const double radius = item.diameter / 2;
            painter.setPen(Qt::NoPen);
            painter.setBrush(colorOf(item.fill, palette));
            painter.drawEllipse(toQt(item.center), radius, radius);
          } else if constexpr (std::is_same_v<T, GestureGlyph::Ring>) {
            const double radius = item.diameter / 2;
            painter.setPen(QPen(colorOf(item.stroke, palette), item.lineWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(toQt(item.center), radius, radius);
          } else if constexpr (std::is_same_v<T, GestureGlyph::Arrow>) {
            QPainterPath path(toQt(item.start));
            path.lineTo(toQt(item.end));
            path.moveTo(toQt(item.end));
            path.lineTo(toQt(item.headA));
            path.moveTo(toQt(item.end));
            path.lineTo(toQt(item.headB));
            painter.setPen(QPen(colorOf(item.stroke, palette), item.lineWidth, Qt::SolidLine,
                                Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
          } else if constexpr (std::is_same_v<T, GestureGlyph::Label>) {
            QFont font = painter.font();
            font.setPixelSize(static_cast<int>(item.fontSizePoints + 1));
            font.setBold(true);
            painter.setFont(font);
            painter.setPen(colorOf(item.fill, palette));
            const QPointF center = toQt(item.center);
            const QRectF box(center.x() - 12, center.y() - 6, 24, 12);
            painter.drawText(box, Qt::AlignCenter, QString::fromStdString(item.text));
          }
        },
        shape);
  }
  painter.restore();
}

}  // namespace tactora
