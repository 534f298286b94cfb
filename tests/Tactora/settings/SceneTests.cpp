// Every window, dialog and panel as a person meets it (the scenes of tools/screenshots): no text is
// cut off, and a turn of the mouse wheel changes no picker, slider or number field the user has
// not clicked into — it scrolls the page.

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include "tests/Tactora/config/ConfigTestSupport.h"
#include "tools/screenshots/SceneStage.h"

namespace tactora::screenshots {
namespace {

// What a turn of the wheel can change: the entry of a picker, the value of a slider (not of a
// scroll bar) or of a number field; none for every other widget.
std::optional<int> valueOf(QWidget* widget) {
  if (auto* picker = qobject_cast<QComboBox*>(widget)) {
    return picker->currentIndex();
  }
  if (auto* slider = qobject_cast<QAbstractSlider*>(widget);
      slider != nullptr && qobject_cast<QScrollBar*>(widget) == nullptr) {
    return slider->value();
  }
  if (auto* field = qobject_cast<QSpinBox*>(widget)) {
    return field->value();
  }
  return std::nullopt;
}

// One notch of the wheel over the middle of `widget` (down for a positive count), delivered as the
// window system delivers it: to the widget under the pointer, then to its parents until one takes
// it.
void turnWheel(QWidget* widget, int notches) {
  QWidget* window = widget->window();
  const QPoint centre = widget->rect().center();
  QWindowSystemInterface::handleWheelEvent(
      window->windowHandle(), QPointF(widget->mapTo(window, centre)),
      QPointF(widget->mapToGlobal(centre)), QPoint(), QPoint(0, -120 * notches));
  QWindowSystemInterface::flushWindowSystemEvents();
  QCoreApplication::processEvents();
}

// The page `control` scrolls with, brought to show it; null when it is on no scrolling page.
QScrollBar* pageOf(QWidget* control) {
  for (QWidget* parent = control->parentWidget(); parent != nullptr;
       parent = parent->parentWidget()) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(parent)) {
      if (auto* scroll = qobject_cast<QScrollArea*>(area)) {
        scroll->ensureWidgetVisible(control);
      }
      return area->verticalScrollBar();
    }
  }
  return nullptr;
}

TEST(Scenes, EveryTextFitsAndTheWheelOverAControlNotClickedIntoScrollsThePage) {
  for (const SceneStage::Scene& scene : SceneStage::scenes()) {
    SCOPED_TRACE(scene.name);
    SceneStage stage;
    QWidget* root = scene.show(stage);
    ASSERT_NE(root, nullptr);
    QTest::qWait(0);  // the layouts settle
    EXPECT_EQ(SceneStage::cutOffTexts(*root), std::vector<std::string>{});
    std::vector<QPointer<QWidget>> controls;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
      if (valueOf(widget) && widget->isVisibleTo(root) && widget->isEnabled()) {
        controls.emplace_back(widget);
      }
    }
    auto saved = [&] { return stage.store().flush(), testing::readFile(stage.store().fileURL()); };
    const std::string savedBefore = saved();

    for (const QPointer<QWidget>& control : controls) {
      if (!control) {
        ADD_FAILURE() << "a wheel changed the page: its controls were rebuilt";
        break;
      }
      SCOPED_TRACE(control->accessibleName().toStdString());
      QScrollBar* page = pageOf(control);
      const auto before = valueOf(control);
      const int pageBefore = page != nullptr ? page->value() : 0;
      const int notches = page != nullptr && page->value() == page->maximum() ? -1 : 1;
      turnWheel(control, notches);
      EXPECT_TRUE(control && valueOf(control) == before);
      if (page != nullptr && page->minimum() < page->maximum()) {
        EXPECT_NE(page->value(), pageBefore) << "the page did not scroll";
      }
    }
    EXPECT_EQ(saved(), savedBefore);
  }
}

}  // namespace
}  // namespace tactora::screenshots
