#pragma once

#include <string>

namespace tactora::platform {

// An application the user can make a profile for: the identifier the front-application detection
// reports for it (and so the profile's identifier), its name and its icon's name.
struct InstalledApplication {
  std::string id;
  std::string name;
  std::string icon;
  friend bool operator==(const InstalledApplication&, const InstalledApplication&) = default;
};

}  // namespace tactora::platform
