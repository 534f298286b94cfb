#pragma once

#include <cstdint>
#include <functional>

#include "Platform/EventFlags.h"
#include "Platform/Events.h"
#include "Platform/FixedShortcut.h"
#include "Platform/Platform.h"

namespace tactora {

// Mouse clicks and key combinations synthesized from the shared event source and posted at the
// HID level. Nothing happens without a source; an event that cannot be created is skipped.

// Posts an event at the HID level of `platform`: where the shared services' events leave unless
// a test hands them another way out.
std::function<void(const platform::Event&)> postingAtHID(platform::Platform& platform);

// One press and one release of `button` at the pointer, both carrying `count` as their click
// state (a double click is one pair with click state 2) and the synthetic marker.
void click(platform::MouseButton button, std::int32_t count);
void click(platform::Platform& platform, platform::MouseButton button, std::int32_t count);

// Key down, then key up, for `keyCode` with their flags replaced by `flags`, with the calling
// thread paused `pauseSeconds` between them (none by default). Keyboard events carry no synthetic
// marker; the events of one of the program's fixed combinations carry `shortcut`.
void postKeyCombination(platform::Platform& platform, std::uint16_t keyCode,
                        platform::EventFlags flags, double pauseSeconds = 0,
                        platform::FixedShortcut shortcut = platform::FixedShortcut::none);

// Marks `event` as belonging to `shortcut` (nothing for `none`).
void markFixedShortcut(platform::Event& event, platform::FixedShortcut shortcut);

}  // namespace tactora
