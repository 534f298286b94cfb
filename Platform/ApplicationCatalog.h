#pragma once

#include <vector>

#include "Platform/InstalledApplication.h"

namespace tactora::platform {

// The applications installed for this user that menus offer, for the settings window's profiles.
class ApplicationCatalog {
 public:
  virtual ~ApplicationCatalog() = default;

  // Each application once, in no particular order; read afresh on every call.
  virtual std::vector<InstalledApplication> installedApplications() = 0;
};

}  // namespace tactora::platform
