#pragma once

#include <cstdint>

#include <QWidget>

#include "Tactora/settings/gestures/ShortcutKeys.h"

namespace tactora {

// The field that shows a key shortcut and, after a click, records the next key press with the
// modifiers held. While recording it holds the keyboard grab (on X11 the whole session's
// keyboard, so shortcuts other applications would take reach us instead), and it lets go of it in
// every case: a captured key, hiding, destruction. Escape, Return, Tab and Delete are recorded
// like any other key; modifier keys alone do not end the recording.
class ShortcutRecorder : public QWidget {
  Q_OBJECT

 public:
  static constexpr int fieldWidth = 220;
  static constexpr int fieldHeight = 28;

  // `keys` is the platform's keyboard, which outlives the field.
  explicit ShortcutRecorder(const platform::KeyboardKeys& keys, QWidget* parent = nullptr);
  ~ShortcutRecorder() override;

  std::uint16_t keyCode() const { return keyCode_; }
  std::uint64_t modifiers() const { return modifiers_; }
  bool isRecording() const { return recording_; }
  QString text() const;

  // Shows a shortcut; does not report it as captured.
  void setShortcut(std::uint16_t keyCode, std::uint64_t modifiers);
  // A click: (re)starts recording.
  void startRecording();

 Q_SIGNALS:
  // A key press was recorded; the field already shows it.
  void captured(std::uint16_t keyCode, std::uint64_t modifiers);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void stopRecording();
  void updateAccessibleText();

  ShortcutKeys keys_;
  std::uint16_t keyCode_ = 0;
  std::uint64_t modifiers_ = 0;
  bool recording_ = false;
};

}  // namespace tactora
