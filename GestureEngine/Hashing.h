#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tactora::hashing {

// Mixes `value` into `seed` (the boost::hash_combine recipe with a 64-bit constant).
inline void combine(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

// Floats hash by value: +0 and -0 compare equal, so they must hash alike.
inline std::size_t ofFloat(float value) {
  return std::hash<float>{}(value == 0.0f ? 0.0f : value);
}
inline std::size_t ofDouble(double value) {
  return std::hash<double>{}(value == 0.0 ? 0.0 : value);
}

}  // namespace tactora::hashing
