#include "Tactora/settings/gestures/ShortcutKeys.h"

#include <linux/input-event-codes.h>

#include <QGuiApplication>
#include <QKeySequence>

#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/ModifierKeys.h"

namespace tactora {

namespace {

struct KeyPair {
  std::uint16_t linuxKey;
  int qtKey;
};

// Kernel key ↔ Qt key, both ways. Keys on a US layout are named by their unshifted symbol.
constexpr KeyPair keyPairs[] = {
    {KEY_A, Qt::Key_A},
    {KEY_B, Qt::Key_B},
    {KEY_C, Qt::Key_C},
    {KEY_D, Qt::Key_D},
    {KEY_E, Qt::Key_E},
    {KEY_F, Qt::Key_F},
    {KEY_G, Qt::Key_G},
    {KEY_H, Qt::Key_H},
    {KEY_I, Qt::Key_I},
    {KEY_J, Qt::Key_J},
    {KEY_K, Qt::Key_K},
    {KEY_L, Qt::Key_L},
    {KEY_M, Qt::Key_M},
    {KEY_N, Qt::Key_N},
    {KEY_O, Qt::Key_O},
    {KEY_P, Qt::Key_P},
    {KEY_Q, Qt::Key_Q},
    {KEY_R, Qt::Key_R},
    {KEY_S, Qt::Key_S},
    {KEY_T, Qt::Key_T},
    {KEY_U, Qt::Key_U},
    {KEY_V, Qt::Key_V},
    {KEY_W, Qt::Key_W},
    {KEY_X, Qt::Key_X},
    {KEY_Y, Qt::Key_Y},
    {KEY_Z, Qt::Key_Z},
    {KEY_1, Qt::Key_1},
    {KEY_2, Qt::Key_2},
    {KEY_3, Qt::Key_3},
    {KEY_4, Qt::Key_4},
    {KEY_5, Qt::Key_5},
    {KEY_6, Qt::Key_6},
    {KEY_7, Qt::Key_7},
    {KEY_8, Qt::Key_8},
    {KEY_9, Qt::Key_9},
    {KEY_0, Qt::Key_0},
    {KEY_F1, Qt::Key_F1},
    {KEY_F2, Qt::Key_F2},
    {KEY_F3, Qt::Key_F3},
    {KEY_F4, Qt::Key_F4},
    {KEY_F5, Qt::Key_F5},
    {KEY_F6, Qt::Key_F6},
    {KEY_F7, Qt::Key_F7},
    {KEY_F8, Qt::Key_F8},
    {KEY_F9, Qt::Key_F9},
    {KEY_F10, Qt::Key_F10},
    {KEY_F11, Qt::Key_F11},
    {KEY_F12, Qt::Key_F12},
    {KEY_F13, Qt::Key_F13},
    {KEY_F14, Qt::Key_F14},
    {KEY_F15, Qt::Key_F15},
    {KEY_F16, Qt::Key_F16},
    {KEY_F17, Qt::Key_F17},
    {KEY_F18, Qt::Key_F18},
    {KEY_F19, Qt::Key_F19},
    {KEY_F20, Qt::Key_F20},
    {KEY_ESC, Qt::Key_Escape},
    {KEY_TAB, Qt::Key_Tab},
    {KEY_ENTER, Qt::Key_Return},
    {KEY_KPENTER, Qt::Key_Enter},
    {KEY_BACKSPACE, Qt::Key_Backspace},
    {KEY_DELETE, Qt::Key_Delete},
    {KEY_INSERT, Qt::Key_Insert},
    {KEY_SPACE, Qt::Key_Space},
    {KEY_LEFT, Qt::Key_Left},
    {KEY_RIGHT, Qt::Key_Right},
    {KEY_UP, Qt::Key_Up},
    {KEY_DOWN, Qt::Key_Down},
    {KEY_HOME, Qt::Key_Home},
    {KEY_END, Qt::Key_End},
    {KEY_PAGEUP, Qt::Key_PageUp},
    {KEY_PAGEDOWN, Qt::Key_PageDown},
    {KEY_MINUS, Qt::Key_Minus},
    {KEY_EQUAL, Qt::Key_Equal},
    {KEY_LEFTBRACE, Qt::Key_BracketLeft},
    {KEY_RIGHTBRACE, Qt::Key_BracketRight},
    {KEY_SEMICOLON, Qt::Key_Semicolon},
    {KEY_APOSTROPHE, Qt::Key_Apostrophe},
    {KEY_GRAVE, Qt::Key_QuoteLeft},
    {KEY_BACKSLASH, Qt::Key_Backslash},
    {KEY_COMMA, Qt::Key_Comma},
    {KEY_DOT, Qt::Key_Period},
    {KEY_SLASH, Qt::Key_Slash},
    {KEY_KPPLUS, Qt::Key_Plus},
    {KEY_KPASTERISK, Qt::Key_Asterisk},
    {KEY_SYSRQ, Qt::Key_Print},
    {KEY_PAUSE, Qt::Key_Pause},
    {KEY_COMPOSE, Qt::Key_Menu},
    {KEY_VOLUMEUP, Qt::Key_VolumeUp},
    {KEY_VOLUMEDOWN, Qt::Key_VolumeDown},
    {KEY_MUTE, Qt::Key_VolumeMute},
    {KEY_PLAYPAUSE, Qt::Key_MediaTogglePlayPause},
    {KEY_NEXTSONG, Qt::Key_MediaNext},
    {KEY_PREVIOUSSONG, Qt::Key_MediaPrevious},
    {KEY_BRIGHTNESSUP, Qt::Key_MonBrightnessUp},
    {KEY_BRIGHTNESSDOWN, Qt::Key_MonBrightnessDown},
};

// Qt reports a shifted key by its symbol; on a US layout these are the keys they sit on. Read one
// way only, so the key's name stays its unshifted symbol.
constexpr KeyPair shiftedSymbols[] = {
    {KEY_1, Qt::Key_Exclam},
    {KEY_2, Qt::Key_At},
    {KEY_3, Qt::Key_NumberSign},
    {KEY_4, Qt::Key_Dollar},
    {KEY_5, Qt::Key_Percent},
    {KEY_6, Qt::Key_AsciiCircum},
    {KEY_7, Qt::Key_Ampersand},
    {KEY_8, Qt::Key_Asterisk},
    {KEY_9, Qt::Key_ParenLeft},
    {KEY_0, Qt::Key_ParenRight},
    {KEY_MINUS, Qt::Key_Underscore},
    {KEY_EQUAL, Qt::Key_Plus},
    {KEY_LEFTBRACE, Qt::Key_BraceLeft},
    {KEY_RIGHTBRACE, Qt::Key_BraceRight},
    {KEY_SEMICOLON, Qt::Key_Colon},
    {KEY_APOSTROPHE, Qt::Key_QuoteDbl},
    {KEY_GRAVE, Qt::Key_AsciiTilde},
    {KEY_BACKSLASH, Qt::Key_Bar},
    {KEY_COMMA, Qt::Key_Less},
    {KEY_DOT, Qt::Key_Greater},
    {KEY_SLASH, Qt::Key_Question},
    {KEY_TAB, Qt::Key_Backtab},
};

// Pressing these alone never ends a recording: they only change what the next key means.
bool isModifierOrLockKey(std::uint16_t linuxKey) {
  switch (linuxKey) {
    case KEY_CAPSLOCK:
    case KEY_NUMLOCK:
    case KEY_SCROLLLOCK:
    case KEY_FN:
      return true;
    default:
      return lx::ModifierKeys::modifierOfKey(linuxKey).has_value();
  }
}

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

// Window systems whose scan codes are the kernel's key codes plus 8 (the X keycode offset).
bool scanCodesAreKernelCodes() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

constexpr int kernelScanCodeOffset = 8;

}  // namespace

std::optional<int> ShortcutKeys::qtKey(std::uint16_t linuxKey) {
  for (const auto& pair : keyPairs) {
    if (pair.linuxKey == linuxKey) {
      return pair.qtKey;
    }
  }
  return std::nullopt;
}

std::optional<std::uint16_t> ShortcutKeys::linuxKey(int qtKey) {
  for (const auto& pair : keyPairs) {
    if (pair.qtKey == qtKey) {
      return pair.linuxKey;
    }
  }
  for (const auto& pair : shiftedSymbols) {
    if (pair.qtKey == qtKey) {
      return pair.linuxKey;
    }
  }
  return std::nullopt;
}

std::uint64_t ShortcutKeys::flags(Qt::KeyboardModifiers modifiers) {
  lx::ModifierKeys::Set set = 0;
  if (modifiers.testFlag(Qt::ControlModifier)) {
    set |= lx::ModifierKeys::ctrl;
  }
  if (modifiers.testFlag(Qt::AltModifier)) {
    set |= lx::ModifierKeys::alt;
  }
  if (modifiers.testFlag(Qt::MetaModifier)) {
    set |= lx::ModifierKeys::super;
  }
  if (modifiers.testFlag(Qt::ShiftModifier)) {
    set |= lx::ModifierKeys::shift;
  }
  return lx::ModifierKeys::toFlags(set);
}

Qt::KeyboardModifiers ShortcutKeys::qtModifiers(std::uint64_t flags) {
  const lx::ModifierKeys::Set set = lx::ModifierKeys::fromFlags(flags);
  Qt::KeyboardModifiers modifiers;
  modifiers.setFlag(Qt::ControlModifier, (set & lx::ModifierKeys::ctrl) != 0);
  modifiers.setFlag(Qt::AltModifier, (set & lx::ModifierKeys::alt) != 0);
  modifiers.setFlag(Qt::MetaModifier, (set & lx::ModifierKeys::super) != 0);
  modifiers.setFlag(Qt::ShiftModifier, (set & lx::ModifierKeys::shift) != 0);
  return modifiers;
}

namespace {

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

QString ShortcutKeys::displayText(std::uint16_t keyCode, std::uint64_t modifiers) {
  if (keyCode == 0 && modifiers == 0) {
    return QStringLiteral("Click to record\u2026");
  }
  const auto kernelKey = lx::KeyCodeTable::linuxKey(keyCode);
  const auto key = kernelKey ? qtKey(*kernelKey) : std::nullopt;
  const QString name = key ? keyName(*key) : QStringLiteral("Key %1").arg(keyCode);
  const QString prefix = modifierText(modifiers);
  return prefix.isEmpty() ? name : prefix + QLatin1Char('+') + name;
}

std::optional<ShortcutKeys::Shortcut> ShortcutKeys::fromKeyPress(
    int qtKeyValue, Qt::KeyboardModifiers modifiers, std::optional<std::uint16_t> kernelKey) {
  if (!kernelKey) {
    if (isModifierOrLockKey(qtKeyValue)) {
      return std::nullopt;
    }
    kernelKey = linuxKey(qtKeyValue);
    if (!kernelKey) {
      return std::nullopt;
    }
  }
  if (isModifierOrLockKey(*kernelKey)) {
    return std::nullopt;
  }
  const auto keyCode = lx::KeyCodeTable::keyCode(*kernelKey);
  if (!keyCode) {
    return std::nullopt;
  }
  return Shortcut{*keyCode, flags(modifiers)};
}

std::optional<ShortcutKeys::Shortcut> ShortcutKeys::fromKeyEvent(const QKeyEvent& event) {
  std::optional<std::uint16_t> kernelKey;
  if (scanCodesAreKernelCodes() && event.nativeScanCode() > kernelScanCodeOffset) {
    kernelKey = static_cast<std::uint16_t>(event.nativeScanCode() - kernelScanCodeOffset);
  }
  return fromKeyPress(event.key(), event.modifiers(), kernelKey);
}

}  // namespace tactora
