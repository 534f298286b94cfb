#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/x11/X11Connection.h"

namespace tactora::lx {

// The application in front on an X11 desktop, named by its desktop-file id
// ("org.mozilla.firefox"), so profiles name applications the way the desktop does.
class X11FrontApplication {
 public:
  X11FrontApplication(std::shared_ptr<X11Connection> connection,
                      std::shared_ptr<const ApplicationIndex> index);

  // The id of the window manager's active window (_NET_ACTIVE_WINDOW): its _GTK_APPLICATION_ID,
  // else its _KDE_NET_WM_DESKTOP_FILE (what Qt applications set), else its WM_CLASS matched
  // against the installed applications. Nothing when there is no active window, when it no longer
  // exists (window managers may point at a destroyed window for a while), when none of these
  // names an application, or when the server went away.
  std::optional<std::string> activeApplicationId();

 private:
  std::shared_ptr<X11Connection> connection_;
  std::shared_ptr<const ApplicationIndex> index_;
};

}  // namespace tactora::lx
