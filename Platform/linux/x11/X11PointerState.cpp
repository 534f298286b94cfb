#include "Platform/linux/x11/X11PointerState.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace tactora::lx {

namespace {

namespace flags = platform::eventFlags;

struct KeysymMeaning {
  unsigned long keysym;
  platform::EventFlags flag;
};

// Command ↔ Ctrl, Option ↔ Alt (and Meta, which keymaps put beside it), Control ↔ Super (and
// Hyper, which shares its modifier in the common keymaps), Shift ↔ Shift.
constexpr std::array<KeysymMeaning, 12> keysymTable{{
    {XK_Control_L, flags::maskCommand},
    {XK_Control_R, flags::maskCommand},
    {XK_Alt_L, flags::maskAlternate},
    {XK_Alt_R, flags::maskAlternate},
    {XK_Meta_L, flags::maskAlternate},
    {XK_Meta_R, flags::maskAlternate},
    {XK_Super_L, flags::maskControl},
    {XK_Super_R, flags::maskControl},
    {XK_Hyper_L, flags::maskControl},
    {XK_Hyper_R, flags::maskControl},
    {XK_Shift_L, flags::maskShift},
    {XK_Shift_R, flags::maskShift},
}};

X11PointerState::ModifierTable readTable(X11Connection& connection) {
  const auto keysyms = connection.modifierKeysyms();
  return keysyms ? X11PointerState::modifierTableFromKeysyms(*keysyms)
                 : X11PointerState::defaultModifierTable();
}

}  // namespace

X11PointerState::Functions X11PointerState::functions(
    const std::shared_ptr<X11Connection>& connection) {
  if (connection == nullptr || connection->broken()) {
    return {};
  }
  auto state = std::make_shared<X11PointerState>(connection);
  return {[state] { return state->pointerLocation(); }, [state] { return state->modifierFlags(); }};
}

X11PointerState::ModifierTable X11PointerState::defaultModifierTable() {
  ModifierTable table{};
  table[ShiftMapIndex] = flags::maskShift;
  table[ControlMapIndex] = flags::maskCommand;
  table[Mod1MapIndex] = flags::maskAlternate;
  table[Mod4MapIndex] = flags::maskControl;
  return table;
}

X11PointerState::ModifierTable X11PointerState::modifierTableFromKeysyms(
    const std::array<std::vector<unsigned long>, 8>& keysyms) {
  ModifierTable table{};
  for (std::size_t modifier = 0; modifier < keysyms.size(); ++modifier) {
    for (const unsigned long keysym : keysyms[modifier]) {
      for (const KeysymMeaning& meaning : keysymTable) {
        if (meaning.keysym == keysym) {
          table[modifier] |= meaning.flag;
        }
      }
    }
  }
  return table;
}

platform::EventFlags X11PointerState::flagsForModifierMask(unsigned modifierMask,
                                                           const ModifierTable& table) {
  platform::EventFlags result = 0;
  for (std::size_t modifier = 0; modifier < table.size(); ++modifier) {
    if ((modifierMask & (1u << modifier)) != 0) {
      result |= table[modifier];
    }
  }
  return result;
}

X11PointerState::X11PointerState(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)), table_(readTable(*connection_)) {}

std::optional<platform::Point> X11PointerState::pointerLocation() {
  const auto state = connection_->queryPointer();
  if (!state) {
    return std::nullopt;
  }
  return platform::Point{static_cast<double>(state->rootX), static_cast<double>(state->rootY)};
}

platform::EventFlags X11PointerState::modifierFlags() {
  const ModifierTable table = modifierTable();
  const auto state = connection_->queryPointer();
  return state ? flagsForModifierMask(state->modifierMask, table) : 0;
}

X11PointerState::ModifierTable X11PointerState::modifierTable() {
  if (connection_->keyboardMappingChanged()) {
    // Read without the lock: the connection has its own, and a reader in between only sees the
    // old table a moment longer.
    const ModifierTable fresh = readTable(*connection_);
    std::lock_guard lock(tableMutex_);
    table_ = fresh;
    return fresh;
  }
  std::lock_guard lock(tableMutex_);
  return table_;
}

}  // namespace tactora::lx
