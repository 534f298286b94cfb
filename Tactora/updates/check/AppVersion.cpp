#include "Tactora/updates/check/AppVersion.h"

#include <algorithm>

namespace tactora {

namespace {

// More digits than this could overflow 64 bits; no real version has them.
constexpr std::size_t maximumDigits = 18;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<AppVersion> AppVersion::parse(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  if (!text.empty() && (text.front() == 'v' || text.front() == 'V')) {
    text.remove_prefix(1);
  }
  AppVersion version;
  while (true) {
    const std::size_t dot = text.find('.');
    std::string_view component = text.substr(0, dot);
    std::size_t digits = 0;
    while (digits < component.size() && isDigit(component[digits])) {
      ++digits;
    }
    if (digits == 0 || digits > maximumDigits) {
      return std::nullopt;
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      value = value * 10 + static_cast<std::uint64_t>(component[i] - '0');
    }
    version.components_.push_back(value);
    if (dot == std::string_view::npos) {
      break;
    }
    // Stop at the first component with a suffix: "2.1-rc.3" is 2.1.
    if (digits != component.size()) {
      break;
    }
    text.remove_prefix(dot + 1);
  }
  return version;
}

std::strong_ordering AppVersion::operator<=>(const AppVersion& other) const {
  const std::size_t count = std::max(components_.size(), other.components_.size());
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t mine = i < components_.size() ? components_[i] : 0;
    const std::uint64_t theirs = i < other.components_.size() ? other.components_[i] : 0;
    if (mine != theirs) {
      return mine <=> theirs;
    }
  }
  return std::strong_ordering::equal;
}

}  // namespace tactora
