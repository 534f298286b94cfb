#pragma once

#include <cstdint>
#include <optional>

#include <QKeyEvent>
#include <QString>

namespace tactora {

// How a recorded key-shortcut action reads and how a key press becomes one. The stored form is the
// configuration's key code and event-flag word, through the same key table and modifier
// convention the poster uses (Command ↔ Ctrl, Option ↔ Alt, Control ↔ Super), so what the user
// records is exactly what is posted later. Text is Qt's key-sequence rendering
// ("Ctrl+Alt+Shift+T"), with the Super key called Super, Escape spelled out and the arrow keys
// shown as arrows ("Alt+←").
class ShortcutKeys {
 public:
  struct Shortcut {
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers =
        0;  // Shift 0x20000, Control 0x40000, Option 0x80000, Command 0x100000
    friend bool operator==(const Shortcut&, const Shortcut&) = default;
  };

  ShortcutKeys() = delete;

  // "Click to record…" when both parts are 0; otherwise the held modifiers and the key, for
  // example "Ctrl+Shift+T". A key without a name here reads "Key " and its stored code.
  static QString displayText(std::uint16_t keyCode, std::uint64_t modifiers);
  // The modifiers of a flag word alone, in the same words and order ("Ctrl+Alt"); empty for none.
  static QString modifierText(std::uint64_t modifiers);

  // The shortcut a key press records; empty while only modifier keys (or lock keys) are pressed,
  // and for a key the configuration cannot store. `linuxKey` is the kernel code of the key when
  // the windowing system reports it (X11 and Wayland scan codes are kernel codes plus 8); without
  // it the key is found from Qt's key.
  static std::optional<Shortcut> fromKeyPress(int qtKey, Qt::KeyboardModifiers modifiers,
                                              std::optional<std::uint16_t> linuxKey);
  // The same from an event, taking the kernel code from the scan code where the platform's scan
  // codes are kernel codes.
  static std::optional<Shortcut> fromKeyEvent(const QKeyEvent& event);

  // Qt's key for a kernel key; empty for keys Qt has no name for.
  static std::optional<int> qtKey(std::uint16_t linuxKey);
  // The kernel key for Qt's key; shifted symbols of a US layout ("!", "+") give their key.
  static std::optional<std::uint16_t> linuxKey(int qtKey);

  static std::uint64_t flags(Qt::KeyboardModifiers modifiers);
  static Qt::KeyboardModifiers qtModifiers(std::uint64_t flags);
};

}  // namespace tactora
