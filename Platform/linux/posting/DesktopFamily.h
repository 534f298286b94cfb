#pragma once

#include <string_view>

namespace tactora::lx {

// The desktops whose default key bindings differ enough to need their own shortcut table.
enum class DesktopFamily { gnome, kde, other };

// The family named by `$XDG_CURRENT_DESKTOP`, a colon-separated list whose entries are matched
// without regard to case ("ubuntu:GNOME" is GNOME, "KDE" is KDE); anything else is `other`.
DesktopFamily desktopFamilyFromCurrentDesktop(std::string_view xdgCurrentDesktop);

}  // namespace tactora::lx
