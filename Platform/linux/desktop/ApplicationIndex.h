#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/linux/desktop/DesktopEntry.h"

namespace tactora::lx {

// The applications installed for this user: the `.desktop` files under the `applications`
// folders of the XDG data directories, by desktop-file id. Gives display names for ids and the
// id of the application that owns a window class.
class ApplicationIndex {
 public:
  // The data directories in order of precedence: `dataHome` (default `home`/.local/share), then
  // each of `dataDirs` (colon-separated, default /usr/local/share:/usr/share). Null or empty
  // values take the defaults; relative paths are ignored, as the base-directory rules say.
  static std::vector<std::string> dataDirectories(const char* dataHome, const char* dataDirs,
                                                  const char* home);
  // The same, from $XDG_DATA_HOME, $XDG_DATA_DIRS and $HOME.
  static std::vector<std::string> dataDirectoriesFromEnvironment();

  // Reads every `applications/**/*.desktop` below `dataDirectories`. The id of
  // `applications/kde/org.kde.dolphin.desktop` is "kde-org.kde.dolphin" (folders joined with
  // '-'); for an id found in several directories the earlier directory wins, and a winning
  // entry marked Hidden removes the application. Unreadable folders and files are skipped.
  static ApplicationIndex scan(const std::vector<std::string>& dataDirectories);

  const DesktopEntry* find(std::string_view id) const;
  // The entry's Name; empty when the id is unknown or its file names nothing.
  std::optional<std::string> displayName(std::string_view id) const;
  // The id of the application whose windows carry this WM_CLASS: first an entry whose
  // StartupWMClass equals the class, then the instance; then one whose id equals the class, then
  // the instance; all without regard to case. Among several, an entry shown in menus beats a
  // NoDisplay one, then the smaller id wins.
  std::optional<std::string> idForWindowClass(std::string_view instance,
                                              std::string_view windowClass) const;

  std::size_t size() const { return entries_.size(); }
  // Every application, by id.
  const std::map<std::string, DesktopEntry, std::less<>>& entries() const { return entries_; }

 private:
  std::map<std::string, DesktopEntry, std::less<>> entries_;
};

}  // namespace tactora::lx
