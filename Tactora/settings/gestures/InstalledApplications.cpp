#include "Tactora/settings/gestures/InstalledApplications.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include <QString>

#include "Platform/linux/desktop/ApplicationIndex.h"

namespace tactora {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view desktopSuffix = ".desktop";

// Every desktop-file id below one `applications` folder ("kde/org.kde.dolphin.desktop" is
// "kde-org.kde.dolphin"); which file wins for an id is the index's decision.
void collectIds(const fs::path& applications, std::set<std::string>& ids) {
  std::error_code error;
  fs::recursive_directory_iterator it(applications, fs::directory_options::skip_permission_denied,
                                      error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::path& path = it->path();
    const std::string name = path.filename().string();
    if (name.size() <= desktopSuffix.size() || !name.ends_with(desktopSuffix)) {
      continue;
    }
    std::string id = path.lexically_relative(applications).string();
    id.resize(id.size() - desktopSuffix.size());
    std::replace(id.begin(), id.end(), '/', '-');
    ids.insert(std::move(id));
  }
}

}  // namespace

std::vector<InstalledApplication> installedApplications(
    const std::vector<std::string>& dataDirectories) {
  std::set<std::string> ids;
  for (const auto& directory : dataDirectories) {
    collectIds(fs::path(directory) / "applications", ids);
  }
  const auto index = lx::ApplicationIndex::scan(dataDirectories);
  std::vector<InstalledApplication> applications;
  for (const auto& id : ids) {
    const lx::DesktopEntry* entry = index.find(id);
    if (entry == nullptr || entry->noDisplay) {
      continue;
    }
    applications.push_back({id, entry->name.empty() ? id : entry->name, entry->icon});
  }
  std::sort(applications.begin(), applications.end(),
            [](const InstalledApplication& a, const InstalledApplication& b) {
              const int order = QString::fromStdString(a.name).compare(
                  QString::fromStdString(b.name), Qt::CaseInsensitive);
              return order != 0 ? order < 0 : a.id < b.id;
            });
  return applications;
}

std::vector<InstalledApplication> installedApplications() {
  return installedApplications(lx::ApplicationIndex::dataDirectoriesFromEnvironment());
}

}  // namespace tactora
