#include "Platform/linux/desktop/XdgApplicationCatalog.h"

#include "Platform/linux/desktop/ApplicationIndex.h"

namespace tactora::lx {

XdgApplicationCatalog::XdgApplicationCatalog(std::vector<std::string> dataDirectories)
    : dataDirectories_(std::move(dataDirectories)) {}

std::vector<platform::InstalledApplication> XdgApplicationCatalog::installedApplications() {
  const auto index = ApplicationIndex::scan(dataDirectories_.empty()
                                                ? ApplicationIndex::dataDirectoriesFromEnvironment()
                                                : dataDirectories_);
  std::vector<platform::InstalledApplication> applications;
  for (const auto& [id, entry] : index.entries()) {
    if (!entry.noDisplay) {
      applications.push_back({id, entry.name.empty() ? id : entry.name, entry.icon});
    }
  }
  return applications;
}

}  // namespace tactora::lx
