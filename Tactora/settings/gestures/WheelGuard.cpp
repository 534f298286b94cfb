#include "Tactora/settings/gestures/WheelGuard.h"

#include <QFocusEvent>
#include <QWidget>

namespace tactora {

namespace {

// Focus the user gave the control; not a window opening with it focused.
bool givenByUser(Qt::FocusReason reason) {
  switch (reason) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
      return true;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
    case Qt::OtherFocusReason:
    case Qt::NoFocusReason:
      return false;
  }
  return false;
}

// Focus that comes back to the control by itself: with its window, or when its list closes.
bool keptThrough(Qt::FocusReason reason) {
  switch (reason) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
      return true;
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::MenuBarFocusReason:
    case Qt::OtherFocusReason:
    case Qt::NoFocusReason:
      return false;
  }
  return false;
}

}  // namespace

WheelGuard::WheelGuard(QWidget* control) : QObject(control), control_(control) {}

void WheelGuard::install(QWidget* control) {
  // Qt's pickers and number fields take focus from the wheel itself (Qt::WheelFocus), which would
  // let the first turn of the wheel through.
  control->setFocusPolicy(Qt::StrongFocus);
  auto* guard = new WheelGuard(control);
  control->installEventFilter(guard);
  // A number field's focus lives in its text field.
  if (QWidget* proxy = control->focusProxy()) {
    proxy->installEventFilter(guard);
  }
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    chosenByUser_ = chosenByUser_ || givenByUser(static_cast<QFocusEvent*>(event)->reason());
  } else if (event->type() == QEvent::FocusOut) {
    chosenByUser_ = chosenByUser_ && keptThrough(static_cast<QFocusEvent*>(event)->reason());
  } else if (event->type() == QEvent::Wheel && !(chosenByUser_ && control_->hasFocus())) {
    // Filtered but not accepted: Qt passes a wheel event the receiver did not accept on to its
    // parents, up to the scroll area that moves the page.
    event->ignore();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tactora
