#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tactora {

// The keyboard modifiers a binding requires: an option set over one byte. The four upper bits name
// no modifier but are kept, so a hand-written value survives a round trip through the file.
struct ModifierSet {
  std::uint8_t rawValue = 0;

  static constexpr std::uint8_t commandBit = 0x01;
  static constexpr std::uint8_t optionBit = 0x02;
  static constexpr std::uint8_t controlBit = 0x04;
  static constexpr std::uint8_t shiftBit = 0x08;

  static constexpr ModifierSet command() { return {commandBit}; }
  static constexpr ModifierSet option() { return {optionBit}; }
  static constexpr ModifierSet control() { return {controlBit}; }
  static constexpr ModifierSet shift() { return {shiftBit}; }

  // Empty means "no modifiers": every bit is clear, the upper ones included.
  constexpr bool isEmpty() const { return rawValue == 0; }
  constexpr bool contains(ModifierSet other) const {
    return (rawValue & other.rawValue) == other.rawValue;
  }
  constexpr bool isSubset(ModifierSet of) const { return of.contains(*this); }

  constexpr ModifierSet unioned(ModifierSet other) const {
    return {static_cast<std::uint8_t>(rawValue | other.rawValue)};
  }
  constexpr ModifierSet intersection(ModifierSet other) const {
    return {static_cast<std::uint8_t>(rawValue & other.rawValue)};
  }
  constexpr ModifierSet subtracting(ModifierSet other) const {
    return {static_cast<std::uint8_t>(rawValue & ~other.rawValue)};
  }
  constexpr void insert(ModifierSet other) { rawValue |= other.rawValue; }
  constexpr void remove(ModifierSet other) {
    rawValue &= static_cast<std::uint8_t>(~other.rawValue);
  }

  friend constexpr bool operator==(ModifierSet, ModifierSet) = default;
};

}  // namespace tactora

template <>
struct std::hash<tactora::ModifierSet> {
  std::size_t operator()(tactora::ModifierSet set) const { return set.rawValue; }
};
