#include "Tactora/settings/gestures/SymbolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tactora {

namespace {

const char* themeName(SymbolIcons::Symbol symbol) {
  using S = SymbolIcons::Symbol;
  switch (symbol) {
    case S::plus:
      return "list-add";
    case S::minus:
      return "list-remove";
    case S::share:
      return "document-export";
    case S::info:
      return "dialog-information";
    case S::warning:
      return "dialog-warning";
    case S::hand:
      return "input-touchpad";
    case S::plusCircle:
      return "list-add";
    case S::undo:
      return "edit-undo";
    case S::trash:
      return "edit-delete";
  }
  return "";
}

// One 16 × 16 drawing in a 64-unit square, painted at 1× and 2×.
void drawSymbol(QPainter& p, SymbolIcons::Symbol symbol, const QColor& ink) {
  using S = SymbolIcons::Symbol;
  QPen pen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  switch (symbol) {
    case S::plus:
      p.drawLine(32, 12, 32, 52);
      p.drawLine(12, 32, 52, 32);
      break;
    case S::minus:
      p.drawLine(12, 32, 52, 32);
      break;
    case S::share:
      p.drawLine(32, 8, 32, 38);
      p.drawLine(32, 8, 22, 18);
      p.drawLine(32, 8, 42, 18);
      p.drawPolyline(QPolygon({QPoint(22, 26), QPoint(12, 26), QPoint(12, 56), QPoint(52, 56),
                               QPoint(52, 26), QPoint(42, 26)}));
      break;
    case S::info:
      p.drawEllipse(QRectF(6, 6, 52, 52));
      p.drawLine(32, 28, 32, 46);
      p.drawPoint(32, 19);
      break;
    case S::warning: {
      QPainterPath triangle;
      triangle.moveTo(32, 6);
      triangle.lineTo(60, 56);
      triangle.lineTo(4, 56);
      triangle.closeSubpath();
      p.fillPath(triangle, QColor(0xE0, 0xA0, 0x00));
      p.setPen(QPen(Qt::black, 6, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(32, 24, 32, 38);
      p.drawPoint(32, 47);
      break;
    }
    case S::hand:
      // A fingertip touching a surface, with the rings of the touch.
      p.drawRoundedRect(QRectF(24, 20, 16, 38), 8, 8);
      pen.setWidthF(4);
      p.setPen(pen);
      p.drawArc(QRectF(14, 8, 36, 28), 30 * 16, 120 * 16);
      p.drawArc(QRectF(6, 0, 52, 40), 35 * 16, 110 * 16);
      break;
    case S::plusCircle:
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawEllipse(QRectF(4, 4, 56, 56));
      p.setPen(QPen(QColor(ink.lightnessF() < 0.5 ? Qt::white : Qt::black), 6, Qt::SolidLine,
                    Qt::RoundCap));
      p.drawLine(32, 18, 32, 46);
      p.drawLine(18, 32, 46, 32);
      break;
    case S::undo:
      p.drawArc(QRectF(12, 12, 40, 40), 200 * 16, -290 * 16);
      p.drawLine(14, 24, 12, 40);
      p.drawLine(14, 24, 28, 32);
      break;
    case S::trash:
      p.drawLine(10, 16, 54, 16);
      p.drawLine(24, 16, 26, 8);
      p.drawLine(26, 8, 38, 8);
      p.drawLine(38, 8, 40, 16);
      p.drawPolyline(QPolygon({QPoint(16, 16), QPoint(20, 58), QPoint(44, 58), QPoint(48, 16)}));
      p.drawLine(28, 26, 28, 48);
      p.drawLine(36, 26, 36, 48);
      break;
  }
}

QPixmap render(SymbolIcons::Symbol symbol, const QColor& ink, int pixels) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(pixels / 64.0, pixels / 64.0);
  drawSymbol(painter, symbol, ink);
  return pixmap;
}

}  // namespace

QIcon SymbolIcons::drawn(Symbol symbol, const QPalette& palette) {
  QIcon icon;
  for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
    const QColor ink = palette.color(
        mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
    for (int pixels : {16, 32}) {
      icon.addPixmap(render(symbol, ink, pixels), mode);
    }
  }
  return icon;
}

QIcon SymbolIcons::icon(Symbol symbol, const QPalette& palette) {
  const QIcon themed = QIcon::fromTheme(QString::fromLatin1(themeName(symbol)));
  return themed.isNull() ? drawn(symbol, palette) : themed;
}

}  // namespace tactora
