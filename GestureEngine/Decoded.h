#pragma once

#include <utility>
#include <variant>

#include "GestureEngine/DecodingError.h"

namespace tactora {

// The outcome of decoding: a value, or the error that stopped it. Decoders never throw.
template <class T>
class Decoded {
 public:
  Decoded(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Decoded(DecodingError error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  const T& operator*() const& { return value(); }
  const T* operator->() const { return &value(); }

  const DecodingError& error() const& { return std::get<1>(state_); }
  DecodingError&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, DecodingError> state_;
};

}  // namespace tactora
