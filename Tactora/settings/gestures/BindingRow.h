#pragma once

#include <cstdint>
#include <string>

#include <QWidget>

#include "ActionKit/ActionKind.h"
#include "Platform/KeyboardKeys.h"
#include "Tactora/config/GestureBinding.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tactora {

class ShortcutRecorder;

// One binding of the Gestures tab: the gesture's glyph and name, its modifiers, a note for some
// gestures, the action picker with the shortcut recorder or the shell-command field, and delete.
// A new kind or a recorded shortcut applies at once; a command applies on "Save" or Return.
class BindingRow : public QWidget {
  Q_OBJECT

 public:
  // `keys` is the platform's keyboard, which outlives the row.
  BindingRow(const GestureBinding& binding, const platform::KeyboardKeys& keys,
             QWidget* parent = nullptr);

  const GestureBinding& binding() const { return binding_; }

  // The caption under the name: double and triple taps, one-finger swipes, the right-side tap.
  static QString subtitle(const GestureEvent& gesture);

  QComboBox* kindPicker() const { return kindPicker_; }
  ShortcutRecorder* recorder() const { return recorder_; }
  QLineEdit* commandField() const { return commandField_; }
  QPushButton* saveButton() const { return saveButton_; }
  QToolButton* deleteButton() const { return deleteButton_; }
  QLabel* modifierBadge() const { return badge_; }

 Q_SIGNALS:
  void actionChanged(const tactora::Action& action);
  void deleteRequested();

 private:
  // The name with its modifier badge, and the caption under them.
  QLayout* createTitle(const QString& name, const QString& badgeText);
  QLabel* createBadge(const QString& badgeText);
  // The kind picker, the shortcut recorder and the shell-command field with its "Save".
  void createActionEditors(QGridLayout* layout, const platform::KeyboardKeys& keys,
                           const QString& accessibleGesture);
  void createDeleteButton(QGridLayout* layout, const QString& accessibleGesture);
  void connectControls();

  void kindPicked(int index);
  void apply();
  void showEditorFor(ActionKind kind);

  GestureBinding binding_;
  ActionKind kind_;
  std::uint16_t keyCode_;
  std::uint64_t keyModifiers_;
  std::string shellCommand_;

  QComboBox* kindPicker_;
  QWidget* commandEditor_;  // the command field with its "Save" button
  ShortcutRecorder* recorder_;
  QLineEdit* commandField_;
  QPushButton* saveButton_;
  QToolButton* deleteButton_;
  QLabel* badge_ = nullptr;
};

// The modifier badge text of a binding's modifier set, in the words of the recorder ("Ctrl+Alt");
// empty when no modifier bit is set.
QString modifierBadgeText(ModifierSet modifiers);

}  // namespace tactora
