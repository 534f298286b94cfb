#pragma once

#include <utility>
#include <variant>

#include "GestureEngine/InputError.h"

namespace tactora {

// The outcome of reading outside input: a value, or the error that stopped it. Readers and
// decoders never throw.
template <class T>
class Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Expected(InputError error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const InputError& error() const& { return std::get<1>(state_); }
  InputError&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, InputError> state_;
};

}  // namespace tactora
