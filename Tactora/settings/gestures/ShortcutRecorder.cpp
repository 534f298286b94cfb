#include "Tactora/settings/gestures/ShortcutRecorder.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tactora {

namespace {

constexpr double cornerRadius = 5;
constexpr double recordingFillOpacity = 0.15;

}  // namespace

ShortcutRecorder::ShortcutRecorder(const platform::KeyboardKeys& keys, QWidget* parent)
    : QWidget(parent), keys_(keys) {
  setFixedSize(fieldWidth, fieldHeight);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  setAccessibleName(QStringLiteral("Keyboard shortcut"));
  updateAccessibleText();
}

ShortcutRecorder::~ShortcutRecorder() {
  stopRecording();
}

QString ShortcutRecorder::text() const {
  return recording_ ? QStringLiteral("Press a key combination\u2026")
                    : keys_.displayText(keyCode_, modifiers_);
}

void ShortcutRecorder::setShortcut(std::uint16_t keyCode, std::uint64_t modifiers) {
  keyCode_ = keyCode;
  modifiers_ = modifiers;
  updateAccessibleText();
  update();
}

void ShortcutRecorder::startRecording() {
  // A second click while recording starts afresh; the grab is simply kept.
  recording_ = true;
  setFocus(Qt::MouseFocusReason);
  grabKeyboard();
  updateAccessibleText();
  update();
}

void ShortcutRecorder::stopRecording() {
  if (QWidget::keyboardGrabber() == this) {
    releaseKeyboard();
  }
  if (recording_) {
    recording_ = false;
    updateAccessibleText();
    update();
  }
}

void ShortcutRecorder::updateAccessibleText() {
  setAccessibleDescription(text());
  setToolTip(recording_ ? QString() : QStringLiteral("Click, then press the keys to record"));
}

bool ShortcutRecorder::event(QEvent* event) {
  if (recording_) {
    // Tab and Backtab would move the focus, and window shortcuts would fire: while recording,
    // every key belongs to the recording.
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();
      return true;
    }
    if (event->type() == QEvent::KeyPress) {
      keyPressEvent(static_cast<QKeyEvent*>(event));
      return true;
    }
  }
  return QWidget::event(event);
}

void ShortcutRecorder::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    startRecording();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void ShortcutRecorder::keyPressEvent(QKeyEvent* event) {
  if (!recording_) {
    // From the keyboard, Space or Return on the focused field starts recording like a click.
    if (event->modifiers() == Qt::NoModifier &&
        (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
         event->key() == Qt::Key_Enter)) {
      startRecording();
      event->accept();
      return;
    }
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  if (event->isAutoRepeat()) {
    return;
  }
  const auto shortcut = keys_.fromKeyEvent(*event);
  if (!shortcut) {
    return;  // a modifier alone, or a key the configuration has no code for: keep listening
  }
  stopRecording();
  setShortcut(shortcut->keyCode, shortcut->modifiers);
  Q_EMIT captured(shortcut->keyCode, shortcut->modifiers);
}

void ShortcutRecorder::hideEvent(QHideEvent* event) {
  stopRecording();
  QWidget::hideEvent(event);
}

void ShortcutRecorder::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath path;
  path.addRoundedRect(frame, cornerRadius, cornerRadius);

  const QPalette& colors = palette();
  QColor fill = colors.color(QPalette::Base);
  QColor textColor = colors.color(QPalette::Text);
  if (recording_) {
    fill = colors.color(QPalette::Highlight);
    fill.setAlphaF(recordingFillOpacity);
    textColor = colors.color(QPalette::Highlight);
    // The accent colour alone can be too light on a dark background; lift it there.
    if (colors.color(QPalette::Window).lightnessF() < 0.5) {
      textColor = textColor.lighter(150);
    }
  }
  painter.fillPath(path, fill);
  QColor outline = colors.color(QPalette::Mid);
  if (hasFocus()) {
    outline = colors.color(QPalette::Highlight);
  }
  painter.setPen(QPen(outline, 1));
  painter.drawPath(path);

  painter.setPen(textColor);
  painter.setFont(font());
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, width() - 12);
  painter.drawText(rect(), Qt::AlignCenter, shown);
}

}  // namespace tactora
