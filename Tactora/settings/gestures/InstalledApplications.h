#pragma once

#include <string>
#include <vector>

namespace tactora {

// An application the user can make a profile for: its desktop-file id (what the front-application
// detection reports, and so the profile's identifier), its name and its icon name.
struct InstalledApplication {
  std::string id;
  std::string name;
  std::string icon;
  friend bool operator==(const InstalledApplication&, const InstalledApplication&) = default;
};

// The installed applications shown in menus, from the `.desktop` files of the XDG data
// directories, by name (case-insensitive), then id. The same precedence as the front-application
// detection: for an id in several directories the earlier one wins, and a Hidden entry removes it.
std::vector<InstalledApplication> installedApplications(
    const std::vector<std::string>& dataDirectories);
// The same over $XDG_DATA_HOME and $XDG_DATA_DIRS.
std::vector<InstalledApplication> installedApplications();

}  // namespace tactora
