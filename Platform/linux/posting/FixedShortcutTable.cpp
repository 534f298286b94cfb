#include "Platform/linux/posting/FixedShortcutTable.h"

#include <linux/input-event-codes.h>

namespace tactora::lx {

namespace {

using platform::FixedShortcut;
using M = ModifierKeys;
using Chord = FixedShortcutTable::Chord;

constexpr Chord superH{KEY_H, M::super};
constexpr Chord metaPageDown{KEY_PAGEDOWN, M::super};
constexpr Chord altF9{KEY_F9, M::alt};

// Where the desktops agree a row repeats the chord. Why each one:
// - There is no hiding an application: hide and minimise both minimise the window (GNOME
//   Super+H, Plasma Meta+PgDown, Alt+F9 on Xfce, MATE and the older window managers).
// - Windows of the focused application: GNOME's switch-group is Super+` (the key above Tab);
//   Plasma's "Walk Through Windows of Current Application" and others use Alt+`.
// - Zoom uses the keypad's plus and minus: Ctrl with them zooms in browsers, GTK and Qt
//   applications, and unlike `=` and `-` they are the same keys on every layout.
// - Back and forward are Alt+Left and Alt+Right in browsers and file managers.
// - The switcher is Alt+Tab; the stepping switcher holds Alt and steps with Tab and Shift+Tab.
// - Closing a window is the window manager's Alt+F4, not Ctrl+W, which closes a tab.
constexpr FixedShortcutTable::Row table[] = {
    {FixedShortcut::hideApp, superH, metaPageDown, altF9},
    {FixedShortcut::minimizeWindow, superH, metaPageDown, altF9},
    {FixedShortcut::cycleWindows, {KEY_GRAVE, M::super}, {KEY_GRAVE, M::alt}, {KEY_GRAVE, M::alt}},
    {FixedShortcut::zoomIn, {KEY_KPPLUS, M::ctrl}, {KEY_KPPLUS, M::ctrl}, {KEY_KPPLUS, M::ctrl}},
    {FixedShortcut::zoomOut,
     {KEY_KPMINUS, M::ctrl},
     {KEY_KPMINUS, M::ctrl},
     {KEY_KPMINUS, M::ctrl}},
    {FixedShortcut::navigateBack, {KEY_LEFT, M::alt}, {KEY_LEFT, M::alt}, {KEY_LEFT, M::alt}},
    {FixedShortcut::navigateForward, {KEY_RIGHT, M::alt}, {KEY_RIGHT, M::alt}, {KEY_RIGHT, M::alt}},
    {FixedShortcut::appSwitcher, {KEY_TAB, M::alt}, {KEY_TAB, M::alt}, {KEY_TAB, M::alt}},
    {FixedShortcut::appSwitcherHold, {0, M::alt}, {0, M::alt}, {0, M::alt}},
    {FixedShortcut::appSwitcherForward, {KEY_TAB, 0}, {KEY_TAB, 0}, {KEY_TAB, 0}},
    {FixedShortcut::appSwitcherBackward,
     {KEY_TAB, M::shift},
     {KEY_TAB, M::shift},
     {KEY_TAB, M::shift}},
    {FixedShortcut::closeWindow, {KEY_F4, M::alt}, {KEY_F4, M::alt}, {KEY_F4, M::alt}},
};

// Row i holds shortcut i + 1, so a lookup is an index.
constexpr bool rowsAreInOrder() {
  std::int64_t expected = 1;
  for (const auto& row : table) {
    if (static_cast<std::int64_t>(row.shortcut) != expected++) {
      return false;
    }
  }
  return expected == platform::fixedShortcutCount;
}
static_assert(rowsAreInOrder(), "one row per fixed shortcut, in the enumeration's order");

}  // namespace

std::span<const FixedShortcutTable::Row> FixedShortcutTable::rows() {
  return table;
}

std::optional<Chord> FixedShortcutTable::chord(FixedShortcut shortcut, DesktopFamily desktop) {
  const auto value = static_cast<std::int64_t>(shortcut);
  if (value < 1 || value >= platform::fixedShortcutCount) {
    return std::nullopt;
  }
  const auto& row = table[value - 1];
  switch (desktop) {
    case DesktopFamily::gnome:
      return row.gnome;
    case DesktopFamily::kde:
      return row.kde;
    case DesktopFamily::other:
      return row.other;
  }
  return std::nullopt;
}

}  // namespace tactora::lx
