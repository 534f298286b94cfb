// Arbitrary bytes as the JSON of a gesture event: decoding never crashes, whatever decodes is
// written and read back to an equal event, and its display title, sort key and glyph can be made.

#include <cstddef>
#include <cstdint>
#include <limits>

#include "GestureEngine/GestureEvent.h"
#include "Tactora/presentation/GestureDescription.h"
#include "Tactora/presentation/GestureGlyph.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace GD = tactora::GestureDescription;
  using tactora::fuzz::check;
  const auto event = tactora::fuzz::decodeAndRoundTrip(tactora::fuzz::asText(data, size),
                                                       tactora::decodeGestureEvent);
  if (!event) {
    return 0;
  }
  (void)GD::title(*event);
  // Only the events that are never bound take the last place, whatever their finger count.
  const bool last = GD::sortKey(*event) == std::numeric_limits<std::int64_t>::max();
  check(last == (GD::category(*event) == GD::Category::other));
  check(tactora::GestureGlyph{*event}.shapes().size() >= 2);
  return 0;
}
