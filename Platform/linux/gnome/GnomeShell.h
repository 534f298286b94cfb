#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "Platform/linux/bus/SessionBus.h"

namespace tactora::lx {

// GNOME Shell's own D-Bus interface (org.gnome.Shell at /org/gnome/Shell): whether the shell runs,
// and its overview, which shows every window of the current workspace.
class GnomeShell {
 public:
  static constexpr const char* busName = "org.gnome.Shell";
  static constexpr const char* objectPath = "/org/gnome/Shell";
  static constexpr const char* interfaceName = "org.gnome.Shell";
  // Long enough for a busy shell, short enough that a hung one never stalls an action for long.
  static constexpr std::chrono::milliseconds defaultTimeout{200};

  explicit GnomeShell(std::shared_ptr<SessionBus> bus,
                      std::chrono::milliseconds timeout = defaultTimeout);

  // Whether the shell's name has an owner on the session bus.
  bool isRunning() const;

  // The `OverviewActive` property; nothing when the shell did not answer.
  std::optional<bool> overviewActive() const;
  bool setOverviewActive(bool active) const;
  // Opens the overview when it is closed and closes it when it is open; false when the shell
  // did not answer either step.
  bool toggleOverview() const;

 private:
  std::shared_ptr<SessionBus> bus_;
  std::chrono::milliseconds timeout_;
};

}  // namespace tactora::lx
