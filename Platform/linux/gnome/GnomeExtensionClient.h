#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/linux/bus/SessionBus.h"

namespace tactora::lx {

// The client of our GNOME Shell extension (data/gnome-shell/tactora@vellumworks.com), which lives
// inside the shell and answers at the shell's bus name: the focused application, and closing the
// focused window. On Wayland nothing else can tell either.
class GnomeExtensionClient {
 public:
  static constexpr const char* uuid = "tactora@vellumworks.com";
  static constexpr const char* busName = "org.gnome.Shell";
  static constexpr const char* objectPath = "/com/vellumworks/Tactora/Shell";
  static constexpr const char* interfaceName = "com.vellumworks.Tactora.Shell1";
  static constexpr std::string_view unavailableText =
      "GNOME Shell extension tactora@vellumworks.com: not installed or not enabled";
  static constexpr std::chrono::milliseconds defaultTimeout{200};

  explicit GnomeExtensionClient(std::shared_ptr<SessionBus> bus,
                                std::chrono::milliseconds timeout = defaultTimeout);

  // Whether the extension answers now.
  bool available() const;

  // The desktop-file id of the focused window's application ("org.gnome.TextEditor"); nothing
  // when no window is focused, no installed application owns it, or the extension did not
  // answer.
  std::optional<std::string> focusedApplication() const;

  // Asks the focused window to close, as its close button would; false when there was no
  // focused window or the extension did not answer.
  bool closeFocusedWindow() const;

 private:
  std::optional<std::string> askFocusedApplication() const;

  std::shared_ptr<SessionBus> bus_;
  std::chrono::milliseconds timeout_;
};

}  // namespace tactora::lx
