#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tactora {

// A dotted version ("2.10.1") compared component by component as numbers, so 2.10 is newer than
// 2.9; missing components count as 0 (2.1 equals 2.1.0). Only digits and dots are a version: a
// feed's version is shown to the user, so nothing else it might carry is accepted.
class AppVersion {
 public:
  // Nothing unless the text is digits in dot-separated groups, none absurdly long.
  static std::optional<AppVersion> parse(std::string_view text);

  std::strong_ordering operator<=>(const AppVersion& other) const;
  bool operator==(const AppVersion& other) const { return (*this <=> other) == 0; }

 private:
  std::vector<std::uint64_t> components_;
};

}  // namespace tactora
