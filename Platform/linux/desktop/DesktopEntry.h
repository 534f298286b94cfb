#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tactora::lx {

// What we read from one application's `.desktop` file: the keys of its [Desktop Entry] group
// that name it and tie it to its windows.
struct DesktopEntry {
  // The desktop-file id without the ".desktop" suffix ("org.mozilla.firefox"); set by the index,
  // which knows the file's place under its applications folder.
  std::string id;
  std::string name;            // Name, unlocalised; empty when the file has none
  std::string icon;            // Icon
  std::string startupWMClass;  // StartupWMClass
  bool noDisplay = false;      // NoDisplay: installed, but not shown in menus
  bool hidden = false;         // Hidden: the user deleted it; it hides same-named entries too
  bool autostartOff = false;   // X-GNOME-Autostart-enabled=false: GNOME's switch turned it off

  // The entry of a file's text; empty when the text has no [Desktop Entry] group or its Type is
  // not Application (links and folders are not applications).
  static std::optional<DesktopEntry> parse(std::string_view text);

  friend bool operator==(const DesktopEntry&, const DesktopEntry&) = default;
};

}  // namespace tactora::lx
