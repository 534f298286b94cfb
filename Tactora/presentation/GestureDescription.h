#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "GestureEngine/GestureEvent.h"

// How gestures are named and ordered wherever the user sees them: the overlay and the Gestures
// tab. A namespace of pure functions over `GestureEvent`.
namespace tactora::GestureDescription {

// The sections of the Gestures tab, in display order.
enum class Category : std::uint8_t { taps = 0, swipes = 1, pinch = 2, other = 3 };

// Nothing for raw values above 3.
std::optional<Category> categoryFromRaw(std::int64_t rawValue);
// "Taps", "Swipes", "Pinch", "Other".
std::string_view title(Category category);
// Taps of every kind (with the right-side tap) are "Taps", swipes "Swipes", pinches "Pinch", the
// drag family and the internal event "Other".
Category category(const GestureEvent& event);

// "2-Finger Tap", "3-Finger Swipe Left", "Spread", "Right-Side Tap", "Click and Drag", ...
std::string title(const GestureEvent& event);

// Lists of bindings are ordered by this key, ascending: pinches first (0 and 1), then for each
// finger count n the tap and swipes (100n to 100n + 3), the right-side tap at 110, the double and
// triple tap (100n + 20, 100n + 30), and the drag family and the internal event last (the largest
// signed integer).
//
// Finger counts come from the configuration file, so they can be anything. When 100n plus its
// offset does not fit 64 bits the key saturates: to the smallest integer for hugely negative
// counts, and to one below the largest for huge ones, so such a gesture still sorts before the
// drag family and the order of every key that fits is unchanged.
std::int64_t sortKey(const GestureEvent& event);

}  // namespace tactora::GestureDescription
