// Arbitrary bytes as the JSON of an action: decoding never crashes, and whatever decodes is
// written and read back to an equal action with the same hash and text.

#include <cstddef>
#include <cstdint>

#include "ActionKit/Action.h"
#include "ActionKit/ActionKind.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto action =
      tactora::fuzz::decodeAndRoundTrip(tactora::fuzz::asText(data, size), tactora::decodeAction);
  if (action) {
    (void)tactora::kindOf(*action);
  }
  return 0;
}
