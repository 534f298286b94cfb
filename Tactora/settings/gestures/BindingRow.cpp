#include "Tactora/settings/gestures/BindingRow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ActionKit/ActionKind.h"
#include "Platform/EventFlags.h"
#include "Tactora/presentation/GestureDescription.h"
#include "Tactora/settings/gestures/GestureGlyphView.h"
#include "Tactora/settings/gestures/ShortcutKeys.h"
#include "Tactora/settings/gestures/ShortcutRecorder.h"
#include "Tactora/settings/gestures/SymbolIcons.h"
#include "Tactora/settings/gestures/WheelGuard.h"

namespace tactora {

namespace {

// The kind's one title, as every other text shows it.
QString pickerTitle(ActionKind kind) {
  const std::string_view text = title(kind);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The picker and the recorder under it share one column of the recorder's width.
constexpr int actionColumnWidth = ShortcutRecorder::fieldWidth;
constexpr int glyphColumn = 0;
constexpr int textColumn = 1;
constexpr int pickerColumn = 2;
constexpr int deleteColumn = 3;

}  // namespace

QString modifierBadgeText(ModifierSet modifiers) {
  namespace flags = platform::eventFlags;
  std::uint64_t word = 0;
  if (modifiers.contains(ModifierSet::command())) {
    word |= flags::maskCommand;
  }
  if (modifiers.contains(ModifierSet::option())) {
    word |= flags::maskAlternate;
  }
  if (modifiers.contains(ModifierSet::control())) {
    word |= flags::maskControl;
  }
  if (modifiers.contains(ModifierSet::shift())) {
    word |= flags::maskShift;
  }
  return ShortcutKeys::modifierText(word);
}

QString BindingRow::subtitle(const GestureEvent& gesture) {
  switch (gesture.kind()) {
    case GestureEvent::Case::doubleTap:
    case GestureEvent::Case::tripleTap:
      return QStringLiteral("Uses the \u201CSecond-tap window\u201D setting under Tuning");
    case GestureEvent::Case::swipe:
      return gesture.fingers() == 1
                 ? QStringLiteral("Slide one finger sideways without moving the mouse")
                 : QString();
    case GestureEvent::Case::rightZoneTap:
      return QStringLiteral("One finger, right-front area of the surface");
    case GestureEvent::Case::tap:
    case GestureEvent::Case::pinch:
    case GestureEvent::Case::dragBegan:
    case GestureEvent::Case::dragMoved:
    case GestureEvent::Case::dragEnded:
    case GestureEvent::Case::dragScrollMoved:
    case GestureEvent::Case::dragScrollEnded:
    case GestureEvent::Case::swipeCandidateBegan:
      return {};
  }
  return {};
}

BindingRow::BindingRow(const GestureBinding& binding, const platform::KeyboardKeys& keys,
                       QWidget* parent)
    : QWidget(parent),
      binding_(binding),
      kind_(kindOf(binding.action)),
      keyCode_(binding.action.keyCode()),
      keyModifiers_(binding.action.modifiers()),
      shellCommand_(binding.action.command()) {
  const QString name = QString::fromStdString(GestureDescription::title(binding.trigger.gesture));
  const QString badgeText = modifierBadgeText(binding.trigger.modifiers);
  const QString accessibleGesture =
      badgeText.isEmpty() ? name : badgeText + QLatin1Char('+') + name;

  // Glyph, name and picker on the first line; under the picker the shortcut recorder, or under
  // the name and picker together the shell-command field, wide enough to read a command.
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 3, 4, 3);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(4);
  layout->setColumnStretch(textColumn, 1);
  layout->addWidget(new GestureGlyphView(binding.trigger.gesture, this), 0, glyphColumn,
                    Qt::AlignVCenter);
  layout->addLayout(createTitle(name, badgeText), 0, textColumn);
  createActionEditors(layout, keys, accessibleGesture);
  createDeleteButton(layout, accessibleGesture);
  showEditorFor(kind_);
  connectControls();
}

QLayout* BindingRow::createTitle(const QString& name, const QString& badgeText) {
  auto* text = new QVBoxLayout;
  text->setSpacing(1);
  auto* nameLine = new QHBoxLayout;
  nameLine->setSpacing(6);
  nameLine->addWidget(new QLabel(name, this), 0, Qt::AlignVCenter);
  if (!badgeText.isEmpty()) {
    badge_ = createBadge(badgeText);
    nameLine->addWidget(badge_, 0, Qt::AlignVCenter);
  }
  nameLine->addStretch(1);
  text->addLayout(nameLine);
  const QString note = subtitle(binding_.trigger.gesture);
  if (!note.isEmpty()) {
    auto* noteLabel = new QLabel(note, this);
    QFont small = noteLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    noteLabel->setFont(small);
    noteLabel->setForegroundRole(QPalette::PlaceholderText);
    noteLabel->setWordWrap(true);
    text->addWidget(noteLabel);
  }
  return text;
}

QLabel* BindingRow::createBadge(const QString& badgeText) {
  auto* badge = new QLabel(badgeText, this);
  QFont badgeFont = badge->font();
  badgeFont.setPointSizeF(badgeFont.pointSizeF() * 0.85);
  badgeFont.setWeight(QFont::Medium);
  badge->setFont(badgeFont);
  badge->setContentsMargins(5, 0, 5, 0);
  badge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  QColor tint = palette().color(QPalette::WindowText);
  tint.setAlphaF(0.12f);
  badge->setStyleSheet(QStringLiteral("QLabel { background: rgba(%1,%2,%3,%4); "
                                      "border-radius: 4px; }")
                           .arg(tint.red())
                           .arg(tint.green())
                           .arg(tint.blue())
                           .arg(tint.alphaF()));
  badge->setAccessibleName(QStringLiteral("Modifiers: ") + badgeText);
  return badge;
}

void BindingRow::createActionEditors(QGridLayout* layout, const platform::KeyboardKeys& keys,
                                     const QString& accessibleGesture) {
  kindPicker_ = new QComboBox(this);
  kindPicker_->setAccessibleName(QStringLiteral("Action for ") + accessibleGesture);
  kindPicker_->setFixedWidth(actionColumnWidth);
  WheelGuard::install(kindPicker_);
  for (ActionKind kind : allActionKinds) {
    kindPicker_->addItem(pickerTitle(kind), static_cast<int>(kind));
  }
  kindPicker_->setCurrentIndex(static_cast<int>(kind_));
  layout->addWidget(kindPicker_, 0, pickerColumn, Qt::AlignVCenter);

  recorder_ = new ShortcutRecorder(keys, this);
  recorder_->setShortcut(keyCode_, keyModifiers_);
  recorder_->setAccessibleName(QStringLiteral("Shortcut for ") + accessibleGesture);
  layout->addWidget(recorder_, 1, pickerColumn);

  commandEditor_ = new QWidget(this);
  auto* commandLayout = new QHBoxLayout(commandEditor_);
  commandLayout->setContentsMargins(0, 0, 0, 0);
  commandLayout->setSpacing(4);
  commandField_ = new QLineEdit(QString::fromStdString(shellCommand_), commandEditor_);
  commandField_->setPlaceholderText(QStringLiteral("open -a Calculator"));
  commandField_->setAccessibleName(QStringLiteral("Shell command for ") + accessibleGesture);
  commandField_->setCursorPosition(0);  // the start of a long command says what it runs
  saveButton_ = new QPushButton(QStringLiteral("Save"), commandEditor_);
  saveButton_->setAccessibleName(QStringLiteral("Save shell command for ") + accessibleGesture);
  commandLayout->addWidget(commandField_, 1);
  commandLayout->addWidget(saveButton_);
  layout->addWidget(commandEditor_, 1, textColumn, 1, pickerColumn - textColumn + 1);
}

void BindingRow::createDeleteButton(QGridLayout* layout, const QString& accessibleGesture) {
  deleteButton_ = new QToolButton(this);
  deleteButton_->setAutoRaise(true);
  deleteButton_->setIcon(SymbolIcons::icon(SymbolIcons::Symbol::trash, palette()));
  deleteButton_->setToolTip(QStringLiteral("Remove this gesture"));
  deleteButton_->setAccessibleName(QStringLiteral("Remove ") + accessibleGesture);
  deleteButton_->setFocusPolicy(Qt::StrongFocus);
  layout->addWidget(deleteButton_, 0, deleteColumn, Qt::AlignVCenter);
}

void BindingRow::connectControls() {
  connect(kindPicker_, &QComboBox::activated, this, &BindingRow::kindPicked);
  connect(recorder_, &ShortcutRecorder::captured, this,
          [this](std::uint16_t keyCode, std::uint64_t modifiers) {
            keyCode_ = keyCode;
            keyModifiers_ = modifiers;
            apply();
          });
  auto saveCommand = [this] {
    shellCommand_ = commandField_->text().toStdString();
    apply();
  };
  connect(saveButton_, &QPushButton::clicked, this, saveCommand);
  connect(commandField_, &QLineEdit::returnPressed, this, saveCommand);
  connect(deleteButton_, &QToolButton::clicked, this, &BindingRow::deleteRequested);
}

void BindingRow::showEditorFor(ActionKind kind) {
  recorder_->setVisible(kind == ActionKind::keyShortcut);
  commandEditor_->setVisible(kind == ActionKind::shellCommand);
}

void BindingRow::kindPicked(int index) {
  if (index < 0 || index >= static_cast<int>(allActionKinds.size())) {
    return;
  }
  kind_ = allActionKinds[static_cast<std::size_t>(index)];
  showEditorFor(kind_);
  apply();
}

void BindingRow::apply() {
  const Action action = makeAction(kind_, keyCode_, keyModifiers_, shellCommand_);
  binding_.action = action;
  Q_EMIT actionChanged(action);
}

}  // namespace tactora
