#pragma once

// What a keyboard user meets in a window: the controls Tab reaches, in the order they are drawn,
// and the name a screen reader says for each.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTest>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace tactora::testing {

// Its accessible name, a button's own text, or the text of the label that names it as its buddy.
inline QString spokenName(QWidget* control, QWidget* within) {
  if (!control->accessibleName().isEmpty()) {
    return control->accessibleName();
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control); button != nullptr) {
    return button->text().remove('&');
  }
  for (QLabel* label : within->findChildren<QLabel*>()) {
    if (label->buddy() == control) {
      return label->text().remove('&');
    }
  }
  return {};
}

// Every control `within` that Tab can reach, top to bottom and left to right within a row; each
// must have a name, and with `distinct` no two the same.
inline std::vector<QWidget*> controlsInScreenOrder(QWidget* within, bool distinct) {
  std::vector<QWidget*> controls;
  for (QWidget* control : within->findChildren<QWidget*>()) {
    if (control->isVisibleTo(within) && control->isEnabled() &&
        (control->focusPolicy() & Qt::TabFocus) != 0 && control->focusProxy() == nullptr &&
        qobject_cast<QScrollArea*>(control) == nullptr) {
      controls.push_back(control);
    }
  }
  auto middle = [within](QWidget* control) {
    const QPoint at = control->mapTo(within, QPoint(0, 0));
    return std::pair(at.y() + control->height() / 2, at.x());
  };
  std::sort(controls.begin(), controls.end(),
            [&](QWidget* a, QWidget* b) { return middle(a) < middle(b); });
  std::set<QString> names;
  for (QWidget* control : controls) {
    const QString name = spokenName(control, within);
    EXPECT_FALSE(name.isEmpty()) << control->metaObject()->className();
    EXPECT_TRUE(!distinct || names.insert(name).second)
        << "two controls called " << name.toStdString();
  }
  return controls;
}

// Real Tab presses from the first control visit every other in the order they are drawn.
inline void expectTabFollowsTheScreen(const std::vector<QWidget*>& controls, QWidget* within) {
  ASSERT_FALSE(controls.empty());
  controls.front()->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> visited{QApplication::focusWidget()};
  while (visited.size() < controls.size()) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    if (!within->isAncestorOf(focused) || qobject_cast<QScrollArea*>(focused) != nullptr) {
      break;
    }
    visited.push_back(focused);
  }
  auto named = [within](const std::vector<QWidget*>& list) {
    std::vector<std::string> out;
    for (QWidget* control : list) {
      out.push_back(spokenName(control, within).toStdString() + " (" +
                    control->metaObject()->className() + ")");
    }
    return out;
  };
  EXPECT_EQ(named(visited), named(controls));
}

}  // namespace tactora::testing
