#pragma once

#include <cstdint>
#include <optional>

#include <QKeyEvent>
#include <QString>

#include "Platform/KeyboardKeys.h"

namespace tactora {

// How a recorded key-shortcut action reads and how a key press becomes one. The stored form is the
// configuration's key code and event-flag word: the platform's keyboard turns keys into key codes
// and back, and the modifiers follow the convention the poster uses (Command ↔ Ctrl,
// Option ↔ Alt, Control ↔ Super), so what the user records is exactly what is posted later. Text
// is Qt's key-sequence rendering ("Ctrl+Alt+Shift+T"), with the Super key called Super, Escape
// spelled out and the arrow keys shown as arrows ("Alt+←").
class ShortcutKeys {
 public:
  struct Shortcut {
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers =
        0;  // Shift 0x20000, Control 0x40000, Option 0x80000, Command 0x100000
    friend bool operator==(const Shortcut&, const Shortcut&) = default;
  };

  explicit ShortcutKeys(const platform::KeyboardKeys& keys) : keys_(keys) {}

  // "Click to record…" when both parts are 0; otherwise the held modifiers and the key, for
  // example "Ctrl+Shift+T". A key without a name here reads "Key " and its stored code.
  QString displayText(std::uint16_t keyCode, std::uint64_t modifiers) const;
  // The modifiers of a flag word alone, in the same words and order ("Ctrl+Alt"); empty for none.
  static QString modifierText(std::uint64_t modifiers);

  // The shortcut a key press records; empty while only modifier keys (or lock keys) are pressed,
  // and for a key the configuration cannot store. `xKeycode` is the key's X keycode when the
  // window system reports one (X11 and Wayland do); the keyboard reads it first, and the key is
  // found from Qt's key where it cannot.
  std::optional<Shortcut> fromKeyPress(int qtKey, Qt::KeyboardModifiers modifiers,
                                       std::optional<std::uint32_t> xKeycode) const;
  // The same from an event, with its scan code where the platform's scan codes are X keycodes.
  std::optional<Shortcut> fromKeyEvent(const QKeyEvent& event) const;

  // Qt's key for a stored key code; empty for a code the keyboard has no name for.
  std::optional<int> qtKey(std::uint16_t keyCode) const;

  static std::uint64_t flags(Qt::KeyboardModifiers modifiers);
  static Qt::KeyboardModifiers qtModifiers(std::uint64_t flags);

 private:
  const platform::KeyboardKeys& keys_;
};

}  // namespace tactora
