#pragma once

#include <QDialog>

#include "Platform/KeyboardKeys.h"
#include "Tactora/settings/gestures/AddBindingState.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tactora {

class ShortcutRecorder;

// The modal "Add Gesture" dialog: a gesture family with its fingers, direction or pinch sense,
// optional modifiers, and the action. "Add" (the default button, Return) reports the binding.
class AddBindingSheet : public QDialog {
  Q_OBJECT

 public:
  // `keys` is the platform's keyboard, which outlives the sheet.
  explicit AddBindingSheet(const platform::KeyboardKeys& keys, QWidget* parent = nullptr);

  const AddBindingState& state() const { return state_; }

  QComboBox* shapePicker() const { return shapePicker_; }
  QSpinBox* fingerStepper() const { return fingers_; }
  QComboBox* directionPicker() const { return directionPicker_; }
  QComboBox* pinchPicker() const { return pinchPicker_; }
  // Ctrl, Alt, Super, Shift.
  QPushButton* modifierToggle(ModifierSet modifier) const;
  QComboBox* actionPicker() const { return actionPicker_; }
  ShortcutRecorder* recorder() const { return recorder_; }
  QLineEdit* commandField() const { return commandField_; }
  QPushButton* addButton() const { return addButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }

 Q_SIGNALS:
  void added(const tactora::GestureBinding& binding);

 private:
  // The gesture family with its fingers, direction or pinch sense, and their captions.
  void createGestureRows();
  void createModifierToggles();
  // The action picker with the shortcut recorder and the shell-command field.
  void createActionRows(const platform::KeyboardKeys& keys);
  QLayout* createButtons();
  void connectControls();

  void accept() override;
  // Shows the controls of the current shape and action, and the choice they hold.
  void refresh();

  AddBindingState state_;
  QFormLayout* form_;
  QComboBox* shapePicker_;
  QSpinBox* fingers_;
  QLabel* repeatCaption_;
  QLabel* zoneCaption_;
  QComboBox* directionPicker_;
  QLabel* swipeCaption_;
  QComboBox* pinchPicker_;
  QPushButton* commandToggle_;
  QPushButton* optionToggle_;
  QPushButton* controlToggle_;
  QPushButton* shiftToggle_;
  QComboBox* actionPicker_;
  ShortcutRecorder* recorder_;
  QLineEdit* commandField_;
  QPushButton* addButton_;
  QPushButton* cancelButton_;
};

}  // namespace tactora
