#pragma once

#include <optional>
#include <utility>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Expected.h"

namespace tactora {

// One element of a list decoded without failing: it holds the element, or nothing when the element
// could not be decoded for any reason (and then the reason). Lists of profiles and bindings are
// read this way so that one bad entry drops only itself. Used only while decoding, never written.
template <class T>
class Lenient {
 public:
  template <class Decode>
  static Lenient decode(const nlohmann::json& value, Decode decode) {
    Expected<T> decoded = decode(value);
    if (decoded) {
      return Lenient(std::move(decoded).value());
    }
    return Lenient(std::move(decoded).error());
  }

  const std::optional<T>& value() const& { return value_; }
  std::optional<T>&& value() && { return std::move(value_); }
  // Why the element was dropped; meaningful only when `value()` is empty.
  const InputError& error() const { return error_; }

 private:
  explicit Lenient(T value) : value_(std::move(value)) {}
  explicit Lenient(InputError error) : error_(std::move(error)) {}

  std::optional<T> value_;
  InputError error_;
};

}  // namespace tactora
