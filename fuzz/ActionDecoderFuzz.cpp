// Arbitrary bytes as the JSON of an action: decoding never crashes, and whatever decodes is
// written and read back to an equal action with the same hash and text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "ActionKit/Action.h"
#include "ActionKit/ActionKind.h"

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
  auto decoded = tactora::decodeAction(parsed);
  if (!decoded) {
    (void)decoded.error().description();
    return 0;
  }
  const tactora::Action& action = *decoded;
  const auto reparsed = nlohmann::json::parse(tactora::toJson(action).dump(), nullptr, false);
  check(!reparsed.is_discarded());
  auto again = tactora::decodeAction(reparsed);
  check(again.ok());
  check(*again == action);
  check(again->hash() == action.hash());
  check(again->description() == action.description());
  (void)tactora::kindOf(action);
  return 0;
}
