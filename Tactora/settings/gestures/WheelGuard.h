#pragma once

#include <QObject>

class QWidget;

namespace tactora {

// Keeps the mouse wheel from changing a picker, slider or number field of the settings windows
// that the user has not clicked into. Scrolling a page with the pointer resting over such a control
// would otherwise change it, and the change is saved at once: a scroll through the Gestures list
// turned "App Exposé" into "Show Desktop". A guarded control takes the wheel only while it has the
// keyboard focus and got it from the user — a click, Tab or its shortcut — not from a window or
// dialog that opened with it focused; otherwise a wheel over it scrolls whatever holds it.
class WheelGuard final : public QObject {
 public:
  static void install(QWidget* control);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit WheelGuard(QWidget* control);

  QWidget* control_;
  bool chosenByUser_ = false;
};

}  // namespace tactora
