#include "Platform/linux/posting/DesktopFamily.h"

#include <algorithm>
#include <cctype>

namespace tactora::lx {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

DesktopFamily desktopFamilyFromCurrentDesktop(std::string_view xdgCurrentDesktop) {
  while (!xdgCurrentDesktop.empty()) {
    const auto colon = xdgCurrentDesktop.find(':');
    const std::string_view name = xdgCurrentDesktop.substr(0, colon);
    if (sameIgnoringCase(name, "GNOME")) {
      return DesktopFamily::gnome;
    }
    if (sameIgnoringCase(name, "KDE")) {
      return DesktopFamily::kde;
    }
    if (colon == std::string_view::npos) {
      break;
    }
    xdgCurrentDesktop.remove_prefix(colon + 1);
  }
  return DesktopFamily::other;
}

}  // namespace tactora::lx
