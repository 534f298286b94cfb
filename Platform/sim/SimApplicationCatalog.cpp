#include "Platform/sim/SimApplicationCatalog.h"

namespace tactora::sim {

std::vector<platform::InstalledApplication> SimApplicationCatalog::installedApplications() {
  std::lock_guard lock(mutex_);
  return applications_;
}

void SimApplicationCatalog::setInstalledApplications(
    std::vector<platform::InstalledApplication> applications) {
  std::lock_guard lock(mutex_);
  applications_ = std::move(applications);
}

}  // namespace tactora::sim
