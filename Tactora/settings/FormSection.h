#pragma once

#include <QFrame>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace tactora::settings {

// One group of a settings form: an optional bold title with an optional control at the right of
// the title row (a "Restore Defaults" button), and a framed box holding the group's rows.
class FormSection final : public QWidget {
 public:
  // An empty title leaves out the title row unless a trailing control is given.
  FormSection(const QString& title, QWidget* parent, QWidget* trailing = nullptr);

  QVBoxLayout* body() const { return body_; }
  // Adds a caption-size, secondary-colour paragraph to the box.
  QLabel* addCaption(const QString& text);

  // Smaller, secondary text under a control; shared by the tabs.
  static void makeCaption(QLabel* label);

 private:
  QFrame* box_;
  QVBoxLayout* body_;
};

}  // namespace tactora::settings
