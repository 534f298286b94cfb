// Arbitrary bytes as the JSON of a gesture event: decoding never crashes, whatever decodes is
// written and read back to an equal event, and its display title, sort key and glyph can be made.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "GestureEngine/GestureEvent.h"
#include "Tactora/presentation/GestureDescription.h"
#include "Tactora/presentation/GestureGlyph.h"

namespace {

void check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) {
    return 0;
  }
  auto decoded = tactora::decodeGestureEvent(parsed);
  if (!decoded) {
    (void)decoded.error().description();
    return 0;
  }
  const tactora::GestureEvent& event = *decoded;
  const auto reparsed = nlohmann::json::parse(tactora::toJson(event).dump(), nullptr, false);
  check(!reparsed.is_discarded());
  auto again = tactora::decodeGestureEvent(reparsed);
  check(again.ok());
  check(*again == event);
  check(again->hash() == event.hash());
  check(again->description() == event.description());

  (void)tactora::GestureDescription::title(event);
  (void)tactora::GestureDescription::category(event);
  const auto key = tactora::GestureDescription::sortKey(event);
  check(event.kind() == tactora::GestureEvent::Case::dragBegan ||
        event.kind() == tactora::GestureEvent::Case::dragMoved ||
        event.kind() == tactora::GestureEvent::Case::dragEnded ||
        event.kind() == tactora::GestureEvent::Case::dragScrollMoved ||
        event.kind() == tactora::GestureEvent::Case::dragScrollEnded ||
        event.kind() == tactora::GestureEvent::Case::swipeCandidateBegan || key < INT64_MAX);
  check(tactora::GestureGlyph{event}.shapes().size() >= 2);
  return 0;
}
