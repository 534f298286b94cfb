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
  AppVersion version;
  while (true) {
    const std::size_t dot = text.find('.');
    const std::string_view component = text.substr(0, dot);
    if (component.empty() || component.size() > maximumDigits ||
        !std::all_of(component.begin(), component.end(), isDigit)) {
      return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char digit : component) {
      value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    version.components_.push_back(value);
    if (dot == std::string_view::npos) {
      return version;
    }
    text.remove_prefix(dot + 1);
  }
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
