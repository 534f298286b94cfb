#pragma once

// Helpers shared by the fuzz targets (each .cpp in this folder is one target).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

namespace tactora::fuzz {

// Stops the run with a crash libFuzzer reports, in every build type (assert may be compiled out).
inline void check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Reads `text` as JSON and decodes it with `decode`. A value that decodes must survive writing
// and reading back: equal, with the same hash and the same text form. Returns the value, or
// nothing when the text is not JSON or does not decode (the error is still described, so its
// formatting runs too).
template <class Decode>
auto decodeAndRoundTrip(std::string_view text, Decode decode)
    -> std::optional<std::decay_t<decltype(*decode(nlohmann::json()))>> {
  const auto parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) {
    return std::nullopt;
  }
  auto decoded = decode(parsed);
  if (!decoded) {
    (void)decoded.error().description();
    return std::nullopt;
  }
  const auto& value = *decoded;
  const auto reparsed = nlohmann::json::parse(toJson(value).dump(), nullptr, false);
  check(!reparsed.is_discarded());
  auto again = decode(reparsed);
  check(again.ok());
  check(*again == value);
  check(again->hash() == value.hash());
  check(again->description() == value.description());
  return std::move(decoded).value();
}

}  // namespace tactora::fuzz
