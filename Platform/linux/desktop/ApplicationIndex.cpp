#include "Platform/linux/desktop/ApplicationIndex.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace tactora::lx {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view desktopSuffix = ".desktop";
constexpr const char* defaultDataDirs = "/usr/local/share:/usr/share";

bool isAbsolute(std::string_view path) {
  return !path.empty() && path.front() == '/';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return std::move(text).str();
}

// The `.desktop` files below one applications folder with their ids, sorted by path so that two
// files giving the same id ("a-b.desktop" and "a/b.desktop") resolve the same way every time.
std::vector<std::pair<std::string, fs::path>> desktopFiles(const fs::path& applications) {
  std::vector<std::pair<std::string, fs::path>> files;
  std::error_code error;
  fs::recursive_directory_iterator it(applications, fs::directory_options::skip_permission_denied,
                                      error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const auto& path = it->path();
    const auto name = path.filename().string();
    if (name.size() <= desktopSuffix.size() || !name.ends_with(desktopSuffix) ||
        !it->is_regular_file(error)) {
      continue;
    }
    auto id = path.lexically_relative(applications).string();
    id.resize(id.size() - desktopSuffix.size());
    std::replace(id.begin(), id.end(), '/', '-');
    files.emplace_back(std::move(id), path);
  }
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
  return files;
}

}  // namespace

std::vector<std::string> ApplicationIndex::dataDirectories(const char* dataHome,
                                                           const char* dataDirs, const char* home) {
  std::vector<std::string> directories;
  if (dataHome != nullptr && isAbsolute(dataHome)) {
    directories.emplace_back(dataHome);
  } else if (home != nullptr && isAbsolute(home)) {
    directories.push_back(std::string(home) + "/.local/share");
  }
  std::string_view rest = dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : defaultDataDirs;
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const auto directory = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    if (isAbsolute(directory)) {
      directories.emplace_back(directory);
    }
  }
  return directories;
}

std::vector<std::string> ApplicationIndex::dataDirectoriesFromEnvironment() {
  return dataDirectories(std::getenv("XDG_DATA_HOME"), std::getenv("XDG_DATA_DIRS"),
                         std::getenv("HOME"));
}

ApplicationIndex ApplicationIndex::scan(const std::vector<std::string>& dataDirectories) {
  ApplicationIndex index;
  // Ids already decided by an earlier directory, Hidden ones included.
  std::set<std::string, std::less<>> decided;
  for (const auto& directory : dataDirectories) {
    for (auto& [id, path] : desktopFiles(fs::path(directory) / "applications")) {
      if (decided.contains(id)) {
        continue;
      }
      const auto text = readFile(path);
      auto entry = text ? DesktopEntry::parse(*text) : std::nullopt;
      if (!entry) {
        continue;
      }
      decided.insert(id);
      if (entry->hidden) {
        continue;
      }
      entry->id = id;
      index.entries_.emplace(std::move(id), std::move(*entry));
    }
  }
  return index;
}

const DesktopEntry* ApplicationIndex::find(std::string_view id) const {
  const auto it = entries_.find(id);
  return it == entries_.end() ? nullptr : &it->second;
}

std::optional<std::string> ApplicationIndex::displayName(std::string_view id) const {
  const auto* entry = find(id);
  if (entry == nullptr || entry->name.empty()) {
    return std::nullopt;
  }
  return entry->name;
}

std::optional<std::string> ApplicationIndex::idForWindowClass(std::string_view instance,
                                                              std::string_view windowClass) const {
  const auto firstMatch = [&](auto&& matches) -> std::optional<std::string> {
    const DesktopEntry* best = nullptr;
    for (const auto& [id, entry] : entries_) {
      if (matches(entry) && (best == nullptr || (best->noDisplay && !entry.noDisplay))) {
        best = &entry;
      }
    }
    return best == nullptr ? std::nullopt : std::optional<std::string>(best->id);
  };
  // StartupWMClass before the file name; within each, the class before the instance.
  for (const auto field : {&DesktopEntry::startupWMClass, &DesktopEntry::id}) {
    for (const auto name : {windowClass, instance}) {
      if (name.empty()) {
        continue;
      }
      if (auto id = firstMatch(
              [&](const DesktopEntry& entry) { return equalsIgnoringCase(entry.*field, name); })) {
        return id;
      }
    }
  }
  return std::nullopt;
}

}  // namespace tactora::lx
