#include "Tactora/settings/gestures/AddBindingSheet.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ActionKit/ActionKind.h"
#include "Tactora/settings/gestures/ShortcutRecorder.h"
#include "Tactora/settings/gestures/WheelGuard.h"

namespace tactora {

namespace {

// The kind's one title, as every other text shows it.
QString pickerTitle(ActionKind kind) {
  const std::string_view text = title(kind);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString directionTitle(Direction direction) {
  switch (direction) {
    case Direction::left:
      return QStringLiteral("Left");
    case Direction::right:
      return QStringLiteral("Right");
    case Direction::up:
      return QStringLiteral("Up");
    case Direction::down:
      return QStringLiteral("Down");
  }
  return {};
}

QLabel* makeCaption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  QFont small = label->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  label->setFont(small);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

}  // namespace

AddBindingSheet::AddBindingSheet(const platform::KeyboardKeys& keys, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Add Gesture"));
  setModal(true);
  setMinimumWidth(460);

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(10);
  auto* headline = new QLabel(QStringLiteral("Add Gesture"), this);
  QFont headlineFont = headline->font();
  headlineFont.setPointSizeF(headlineFont.pointSizeF() * 1.3);
  headlineFont.setBold(true);
  headline->setFont(headlineFont);
  layout->addWidget(headline);

  // One form, so every label and control lines up; rows that do not apply are hidden.
  form_ = new QFormLayout;
  form_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form_->setLabelAlignment(Qt::AlignLeft);
  layout->addLayout(form_);
  createGestureRows();
  createModifierToggles();
  createActionRows(keys);
  layout->addStretch(1);
  layout->addLayout(createButtons());
  connectControls();

  {
    const QSignalBlocker blocker(actionPicker_);
    actionPicker_->setCurrentIndex(static_cast<int>(state_.kind()));
  }
  refresh();
}

void AddBindingSheet::createGestureRows() {
  shapePicker_ = new QComboBox(this);
  shapePicker_->setAccessibleName(QStringLiteral("Gesture"));
  WheelGuard::install(shapePicker_);
  for (auto shape : AddBindingState::allShapes) {
    shapePicker_->addItem(QString::fromUtf8(AddBindingState::title(shape).data()));
  }
  form_->addRow(QStringLiteral("Gesture"), shapePicker_);

  fingers_ = new QSpinBox(this);
  fingers_->setPrefix(QStringLiteral("Fingers: "));
  fingers_->setRange(static_cast<int>(AddBindingState::minimumFingers),
                     static_cast<int>(AddBindingState::maximumFingers));
  fingers_->setSingleStep(1);
  fingers_->setAccessibleName(QStringLiteral("Fingers"));
  WheelGuard::install(fingers_);
  fingers_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  form_->addRow(QString(), fingers_);

  repeatCaption_ = makeCaption(
      QStringLiteral("Two/three quick taps in a row, within the \u201CSecond-tap window\u201D "
                     "(Tuning tab)."),
      this);
  form_->addRow(QString(), repeatCaption_);
  zoneCaption_ = makeCaption(
      QStringLiteral("A one-finger tap on the right side of the mouse, toward the front. Adjust "
                     "the zone under the Tuning tab."),
      this);
  form_->addRow(QString(), zoneCaption_);

  directionPicker_ = new QComboBox(this);
  directionPicker_->setAccessibleName(QStringLiteral("Direction"));
  WheelGuard::install(directionPicker_);
  form_->addRow(QStringLiteral("Direction"), directionPicker_);
  swipeCaption_ =
      makeCaption(QStringLiteral("One-finger swipes are horizontal only \u2014 vertical is "
                                 "scrolling."),
                  this);
  form_->addRow(QString(), swipeCaption_);

  pinchPicker_ = new QComboBox(this);
  pinchPicker_->setAccessibleName(QStringLiteral("Pinch"));
  WheelGuard::install(pinchPicker_);
  pinchPicker_->addItem(QStringLiteral("Spread (zoom in)"));
  pinchPicker_->addItem(QStringLiteral("Pinch (zoom out)"));
  form_->addRow(QStringLiteral("Pinch"), pinchPicker_);
}

// The modifiers, in the words of the keys a Linux user holds (Command is Ctrl, Option Alt,
// Control Super).
void AddBindingSheet::createModifierToggles() {
  auto* toggles = new QHBoxLayout;
  toggles->setSpacing(4);
  auto makeToggle = [this, toggles](const QString& text, ModifierSet modifier) {
    auto* toggle = new QPushButton(text, this);
    toggle->setCheckable(true);
    toggle->setAutoDefault(false);
    toggle->setAccessibleName(text + QStringLiteral(" modifier"));
    toggle->setMinimumWidth(60);
    connect(toggle, &QPushButton::toggled, this,
            [this, modifier](bool on) { state_.setModifier(modifier, on); });
    toggles->addWidget(toggle);
    return toggle;
  };
  commandToggle_ = makeToggle(QStringLiteral("Ctrl"), ModifierSet::command());
  optionToggle_ = makeToggle(QStringLiteral("Alt"), ModifierSet::option());
  controlToggle_ = makeToggle(QStringLiteral("Super"), ModifierSet::control());
  shiftToggle_ = makeToggle(QStringLiteral("Shift"), ModifierSet::shift());
  toggles->addStretch(1);
  form_->addRow(QStringLiteral("Modifiers (optional)"), toggles);
}

void AddBindingSheet::createActionRows(const platform::KeyboardKeys& keys) {
  actionPicker_ = new QComboBox(this);
  actionPicker_->setAccessibleName(QStringLiteral("Action"));
  WheelGuard::install(actionPicker_);
  for (ActionKind kind : allActionKinds) {
    actionPicker_->addItem(pickerTitle(kind), static_cast<int>(kind));
  }
  form_->addRow(QStringLiteral("Action"), actionPicker_);
  recorder_ = new ShortcutRecorder(keys, this);
  recorder_->setAccessibleName(QStringLiteral("Shortcut"));
  form_->addRow(QString(), recorder_);
  commandField_ = new QLineEdit(this);
  commandField_->setPlaceholderText(QStringLiteral("/path/to/script.sh"));
  commandField_->setAccessibleName(QStringLiteral("Shell command"));
  form_->addRow(QString(), commandField_);
}

// "Cancel" then "Add", whatever order the desktop's button boxes use; "Add" takes Return.
QLayout* AddBindingSheet::createButtons() {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton_->setAutoDefault(false);
  addButton_ = new QPushButton(QStringLiteral("Add"), this);
  addButton_->setDefault(true);
  buttons->addWidget(cancelButton_);
  buttons->addWidget(addButton_);
  return buttons;
}

void AddBindingSheet::connectControls() {
  connect(addButton_, &QPushButton::clicked, this, &AddBindingSheet::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &AddBindingSheet::reject);
  connect(shapePicker_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) {
      state_.setShape(AddBindingState::allShapes[static_cast<std::size_t>(index)]);
      refresh();
    }
  });
  connect(fingers_, &QSpinBox::valueChanged, this, [this](int value) {
    state_.setFingers(value);
    refresh();
  });
  connect(directionPicker_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const auto offered = state_.offeredDirections();
    if (index >= 0 && static_cast<std::size_t>(index) < offered.size()) {
      state_.setDirection(offered[static_cast<std::size_t>(index)]);
    }
  });
  connect(pinchPicker_, &QComboBox::currentIndexChanged, this,
          [this](int index) { state_.setPinchSpreads(index == 0); });
  connect(actionPicker_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) {
      state_.setKind(allActionKinds[static_cast<std::size_t>(index)]);
      refresh();
    }
  });
  connect(recorder_, &ShortcutRecorder::captured, this,
          [this](std::uint16_t keyCode, std::uint64_t modifiers) {
            state_.setShortcut(keyCode, modifiers);
          });
  connect(commandField_, &QLineEdit::textChanged, this,
          [this](const QString& text) { state_.setShellCommand(text.toStdString()); });
}

QPushButton* AddBindingSheet::modifierToggle(ModifierSet modifier) const {
  if (modifier == ModifierSet::command()) {
    return commandToggle_;
  }
  if (modifier == ModifierSet::option()) {
    return optionToggle_;
  }
  if (modifier == ModifierSet::control()) {
    return controlToggle_;
  }
  if (modifier == ModifierSet::shift()) {
    return shiftToggle_;
  }
  return nullptr;
}

void AddBindingSheet::refresh() {
  using Shape = AddBindingState::Shape;
  const Shape shape = state_.shape();
  form_->setRowVisible(fingers_, state_.usesFingers());
  {
    const QSignalBlocker blocker(fingers_);
    fingers_->setValue(static_cast<int>(state_.fingers()));
  }
  form_->setRowVisible(repeatCaption_, shape == Shape::doubleTap || shape == Shape::tripleTap);
  form_->setRowVisible(zoneCaption_, shape == Shape::rightZoneTap);
  form_->setRowVisible(directionPicker_, shape == Shape::swipe);
  form_->setRowVisible(swipeCaption_, shape == Shape::swipe && state_.fingers() == 1);
  form_->setRowVisible(pinchPicker_, shape == Shape::pinch);

  {
    // The offered directions change with the finger count; the state already fell back to Left
    // where the old choice is no longer offered.
    const QSignalBlocker blocker(directionPicker_);
    directionPicker_->clear();
    const auto offered = state_.offeredDirections();
    for (std::size_t i = 0; i < offered.size(); ++i) {
      directionPicker_->addItem(directionTitle(offered[i]));
      if (offered[i] == state_.direction()) {
        directionPicker_->setCurrentIndex(static_cast<int>(i));
      }
    }
  }

  form_->setRowVisible(recorder_, state_.kind() == ActionKind::keyShortcut);
  form_->setRowVisible(commandField_, state_.kind() == ActionKind::shellCommand);
  adjustSize();
}

void AddBindingSheet::accept() {
  const GestureBinding binding = state_.binding();
  QDialog::accept();
  Q_EMIT added(binding);
}

}  // namespace tactora
