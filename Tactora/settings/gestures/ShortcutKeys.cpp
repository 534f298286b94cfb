#include "Tactora/settings/gestures/ShortcutKeys.h"

#include <QGuiApplication>
#include <QKeySequence>

#include "Platform/EventFlags.h"

namespace tactora {

namespace {

namespace eventFlags = platform::eventFlags;

// Qt's modifiers and the flags they are stored as, in the poster's convention.
constexpr std::pair<Qt::KeyboardModifier, std::uint64_t> modifierFlags[] = {
    {Qt::ControlModifier, eventFlags::maskCommand},
    {Qt::AltModifier, eventFlags::maskAlternate},
    {Qt::MetaModifier, eventFlags::maskControl},
    {Qt::ShiftModifier, eventFlags::maskShift},
};

// Pressing these alone never ends a recording: they only change what the next key means.
bool isModifierOrLockKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_unknown:
      return true;
    default:
      return false;
  }
}

// Window systems whose scan codes are X keycodes.
bool scanCodesAreXKeycodes() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

// The recorder's own names where Qt abbreviates or spells out a key the keyboard shows as a
// symbol; every other key as Qt names it ("Return", "Tab", "Space", "F5", "`").
QString keyName(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Escape:
      return QStringLiteral("Escape");
    case Qt::Key_Left:
      return QStringLiteral("\u2190");
    case Qt::Key_Right:
      return QStringLiteral("\u2192");
    case Qt::Key_Down:
      return QStringLiteral("\u2193");
    case Qt::Key_Up:
      return QStringLiteral("\u2191");
    default:
      return QKeySequence(qtKey).toString(QKeySequence::NativeText);
  }
}

// Qt names the Super key "Meta"; the desktops, and our modifier toggles, call it Super.
QString withDesktopWords(QString text) {
  text.replace(QLatin1String("Meta"), QLatin1String("Super"));
  return text;
}

}  // namespace

std::optional<int> ShortcutKeys::qtKey(std::uint16_t keyCode) const {
  const auto name = keys_.keyName(keyCode);
  if (!name) {
    return std::nullopt;
  }
  const QKeySequence sequence = QKeySequence::fromString(
      QString::fromUtf8(name->data(), static_cast<qsizetype>(name->size())),
      QKeySequence::PortableText);
  if (sequence.count() != 1) {
    return std::nullopt;
  }
  return sequence[0].key();
}

std::uint64_t ShortcutKeys::flags(Qt::KeyboardModifiers modifiers) {
  std::uint64_t word = 0;
  for (const auto& [modifier, flag] : modifierFlags) {
    if (modifiers.testFlag(modifier)) {
      word |= flag;
    }
  }
  return word;
}

Qt::KeyboardModifiers ShortcutKeys::qtModifiers(std::uint64_t flags) {
  Qt::KeyboardModifiers modifiers;
  for (const auto& [modifier, flag] : modifierFlags) {
    modifiers.setFlag(modifier, (flags & flag) != 0);
  }
  return modifiers;
}

QString ShortcutKeys::modifierText(std::uint64_t modifiers) {
  const Qt::KeyboardModifiers qt = qtModifiers(modifiers);
  if (qt == Qt::NoModifier) {
    return {};
  }
  // Rendered with a placeholder key so the words and their order are Qt's own, then the key is cut.
  QString text = QKeySequence(QKeyCombination(qt, Qt::Key_A)).toString(QKeySequence::NativeText);
  text.chop(2);  // "+A"
  return withDesktopWords(text);
}

QString ShortcutKeys::displayText(std::uint16_t keyCode, std::uint64_t modifiers) const {
  if (keyCode == 0 && modifiers == 0) {
    return QStringLiteral("Click to record\u2026");
  }
  const auto key = qtKey(keyCode);
  const QString name = key ? keyName(*key) : QStringLiteral("Key %1").arg(keyCode);
  const QString prefix = modifierText(modifiers);
  return prefix.isEmpty() ? name : prefix + QLatin1Char('+') + name;
}

std::optional<ShortcutKeys::Shortcut> ShortcutKeys::fromKeyPress(
    int qtKeyValue, Qt::KeyboardModifiers modifiers, std::optional<std::uint32_t> xKeycode) const {
  using Reading = platform::KeyboardKeys::Reading;
  const auto reading =
      xKeycode ? keys_.readKeycode(*xKeycode) : platform::KeyboardKeys::KeyReading{};
  switch (reading.reading) {
    case Reading::key:
      return Shortcut{reading.keyCode, flags(modifiers)};
    case Reading::nothing:
      return std::nullopt;
    case Reading::unread:
      break;
  }
  if (isModifierOrLockKey(qtKeyValue)) {
    return std::nullopt;
  }
  const QString name = QKeySequence(qtKeyValue).toString(QKeySequence::PortableText);
  const auto keyCode = keys_.keyCode(name.toStdString());
  if (!keyCode) {
    return std::nullopt;
  }
  return Shortcut{*keyCode, flags(modifiers)};
}

std::optional<ShortcutKeys::Shortcut> ShortcutKeys::fromKeyEvent(const QKeyEvent& event) const {
  std::optional<std::uint32_t> xKeycode;
  if (scanCodesAreXKeycodes() && event.nativeScanCode() != 0) {
    xKeycode = event.nativeScanCode();
  }
  return fromKeyPress(event.key(), event.modifiers(), xKeycode);
}

}  // namespace tactora
