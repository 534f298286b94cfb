#include "Tactora/panel/HeadsUpPanel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace tactora {

namespace {

// A dark, mostly opaque backdrop with light text: the heads-up look that reads over any content.
const QColor backgroundColor(28, 28, 30, 217);
const QColor borderColor(255, 255, 255, 40);
const QColor textColor(255, 255, 255, 235);

}  // namespace

HeadsUpPanel::HeadsUpPanel(const QString& text)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | Qt::Tool | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);

  label_ = new QLabel(text, this);
  label_->setAlignment(Qt::AlignCenter);
  label_->setTextFormat(Qt::PlainText);
  QFont font = label_->font();
  font.setPixelSize(textPixelSize);
  font.setWeight(QFont::Medium);
  label_->setFont(font);
  QPalette palette = label_->palette();
  palette.setColor(QPalette::WindowText, textColor);
  label_->setPalette(palette);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(horizontalMargin, verticalMargin, horizontalMargin, verticalMargin);
  layout->addWidget(label_);
  resize(initialWidth, initialHeight);
}

void HeadsUpPanel::setText(const QString& text) {
  label_->setText(text);
  // At once, not when the event loop gets to it: the panel is sized to the new text next, and a
  // shorter text must be able to shrink it.
  layout()->activate();
}

QSize HeadsUpPanel::fittingSize() const {
  const QSize text = label_->sizeHint();
  return {text.width() + 2 * horizontalMargin, text.height() + 2 * verticalMargin};
}

void HeadsUpPanel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
  painter.fillPath(path, backgroundColor);
  painter.setPen(QPen(borderColor, 1));
  painter.drawPath(path);
}

}  // namespace tactora
