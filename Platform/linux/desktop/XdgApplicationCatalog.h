#pragma once

#include <string>
#include <vector>

#include "Platform/ApplicationCatalog.h"

namespace tactora::lx {

// The installed applications from the `.desktop` files of the XDG data directories, with the
// precedence of the front-application detection (`ApplicationIndex`); entries marked NoDisplay
// are left out, as menus leave them out. The files are read on every call, so an application
// installed while Tactora runs is offered.
class XdgApplicationCatalog final : public platform::ApplicationCatalog {
 public:
  // Empty: the directories of the environment ($XDG_DATA_HOME, $XDG_DATA_DIRS), read on each call.
  explicit XdgApplicationCatalog(std::vector<std::string> dataDirectories = {});

  std::vector<platform::InstalledApplication> installedApplications() override;

 private:
  const std::vector<std::string> dataDirectories_;
};

}  // namespace tactora::lx
