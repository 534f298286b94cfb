#pragma once

#include <mutex>
#include <vector>

#include "Platform/ApplicationCatalog.h"

namespace tactora::sim {

// The simulation's installed applications: none until a test (or a demo) names them; nothing on
// the machine is read.
class SimApplicationCatalog final : public platform::ApplicationCatalog {
 public:
  std::vector<platform::InstalledApplication> installedApplications() override;

  void setInstalledApplications(std::vector<platform::InstalledApplication> applications);

 private:
  std::mutex mutex_;
  std::vector<platform::InstalledApplication> applications_;
};

}  // namespace tactora::sim
