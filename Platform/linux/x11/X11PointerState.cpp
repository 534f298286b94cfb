#include "Platform/linux/x11/X11PointerState.h"

#include <X11/X.h>

#include <array>

namespace tactora::lx {

namespace {

struct ModifierMapping {
  unsigned xMask;
  platform::EventFlags flag;
};

// Command ↔ Ctrl, Option ↔ Alt, Control ↔ Super, Shift ↔ Shift. Alt and Super are on Mod1 and
// Mod4 in every common keymap.
constexpr std::array<ModifierMapping, 4> modifierTable{{
    {ControlMask, platform::eventFlags::maskCommand},
    {Mod1Mask, platform::eventFlags::maskAlternate},
    {Mod4Mask, platform::eventFlags::maskControl},
    {ShiftMask, platform::eventFlags::maskShift},
}};

}  // namespace

X11PointerState::Functions X11PointerState::functions(
    const std::shared_ptr<X11Connection>& connection) {
  if (connection == nullptr || connection->broken()) {
    return {};
  }
  auto state = std::make_shared<X11PointerState>(connection);
  return {[state] { return state->pointerLocation(); }, [state] { return state->modifierFlags(); }};
}

platform::EventFlags X11PointerState::flagsForModifierMask(unsigned modifierMask) {
  platform::EventFlags flags = 0;
  for (const auto& mapping : modifierTable) {
    if ((modifierMask & mapping.xMask) != 0) {
      flags |= mapping.flag;
    }
  }
  return flags;
}

X11PointerState::X11PointerState(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {}

std::optional<platform::Point> X11PointerState::pointerLocation() {
  const auto state = connection_->queryPointer();
  if (!state) {
    return std::nullopt;
  }
  return platform::Point{static_cast<double>(state->rootX), static_cast<double>(state->rootY)};
}

platform::EventFlags X11PointerState::modifierFlags() {
  const auto state = connection_->queryPointer();
  return state ? flagsForModifierMask(state->modifierMask) : 0;
}

}  // namespace tactora::lx
