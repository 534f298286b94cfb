#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace tactora::platform {

// One argument of a log message, as the format's conversion will read it.
class LogArg {
 public:
  using Value = std::variant<std::int64_t, std::uint64_t, double, bool, std::string>;

  LogArg(bool value) : value_(value) {}  // NOLINT: implicit by design
  template <class T,
            std::enable_if_t<
                std::is_integral_v<T> && !std::is_same_v<T, bool> && std::is_signed_v<T>, int> = 0>
  LogArg(T value) : value_(static_cast<std::int64_t>(value)) {}  // NOLINT
  template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                          std::is_unsigned_v<T>,
                                      int> = 0>
  LogArg(T value) : value_(static_cast<std::uint64_t>(value)) {}                // NOLINT
  LogArg(double value) : value_(value) {}                                       // NOLINT
  LogArg(float value) : value_(static_cast<double>(value)) {}                   // NOLINT
  LogArg(const char* value) : value_(std::string(value ? value : "(null)")) {}  // NOLINT
  LogArg(std::string_view value) : value_(std::string(value)) {}                // NOLINT
  LogArg(std::string value) : value_(std::move(value)) {}                       // NOLINT

  const Value& value() const { return value_; }

 private:
  Value value_;
};

}  // namespace tactora::platform
