#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/linux/bus/SessionBus.h"

namespace tactora::lx {

// The client of our GNOME Shell extension (data/gnome-shell/), which lives inside the shell and
// answers at the shell's bus name: the focused application, closing the focused window, and the
// gesture overlay. On Wayland nothing else can tell or do these. The extension answers only the
// running Tactora (the owner of `applicationBusName`) and other processes of the same program;
// every other caller is refused.
class GnomeExtensionClient {
 public:
  static constexpr const char* uuid = "tactora@vellumworks.com";
  static constexpr const char* busName = "org.gnome.Shell";
  static constexpr const char* objectPath = "/com/vellumworks/Tactora/Shell";
  static constexpr const char* interfaceName = "com.vellumworks.Tactora.Shell1";
  // The name the running application owns on the session bus (its one-instance check), which
  // the extension trusts.
  static constexpr const char* applicationBusName = "com.vellumworks.Tactora";
  static constexpr std::chrono::milliseconds defaultTimeout{200};

  explicit GnomeExtensionClient(std::shared_ptr<SessionBus> bus,
                                std::chrono::milliseconds timeout = defaultTimeout);

  // Whether the extension answers this process now (it refuses processes it does not expect).
  bool available() const;

  // The desktop-file id of the focused window's application ("org.gnome.TextEditor"); nothing
  // when no window is focused, no installed application owns it, or the extension did not
  // answer.
  std::optional<std::string> focusedApplication() const;

  // Asks the focused window to close, as its close button would; false when there was no
  // focused window or the extension did not answer.
  bool closeFocusedWindow() const;

  // Shows `text` in the shell's on-screen-display style at the bottom centre of the monitor under
  // the pointer, for 0.9 s and a 0.25 s fade (a new text restarts the time); false when the
  // extension did not answer.
  bool showOverlay(std::string_view text) const;

 private:
  std::optional<std::string> askFocusedApplication() const;

  std::shared_ptr<SessionBus> bus_;
  std::chrono::milliseconds timeout_;
};

}  // namespace tactora::lx
