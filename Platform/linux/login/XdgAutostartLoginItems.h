#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/LoginItems.h"

namespace tactora::lx {

// Launching at login on a Linux desktop. The main login item is the user's XDG autostart entry
// "<config home>/autostart/com.vellumworks.Tactora.desktop", which every desktop session reads;
// the agent fallback is the systemd user unit "<config home>/systemd/user/tactora.service",
// started with the graphical session.
class XdgAutostartLoginItems final : public platform::LoginItems {
 public:
  // Starts a program without waiting for it; false when it could not be started.
  using Launch =
      std::function<bool(const std::string& executable, const std::vector<std::string>& arguments)>;

  static constexpr std::string_view entryFileName = "com.vellumworks.Tactora.desktop";
  static constexpr std::string_view unitName = "tactora.service";
  static constexpr std::string_view unitTarget = "graphical-session.target";

  // `configHome`: the XDG configuration folder ($XDG_CONFIG_HOME or ~/.config). `executablePath`:
  // the running program, written into the autostart entry. `launch` null: a detached child.
  XdgAutostartLoginItems(std::string configHome, std::string executablePath,
                         Launch launch = nullptr);

  // Enabled when the entry exists and neither hides itself (Hidden=true) nor is switched off
  // (X-GNOME-Autostart-enabled=false), as the session's autostart reads it; else not registered.
  platform::LoginItemStatus mainAppStatus() override;
  std::optional<std::string> registerMainApp() override;
  // Removing an entry that is not there succeeds.
  std::optional<std::string> unregisterMainApp() override;
  // "<config home>/systemd/user".
  std::string agentDirectory() override;
  // Writes the unit, then runs "systemctl --user enable tactora.service".
  std::optional<std::string> installAgent(const std::string& executablePath) override;
  // Runs "systemctl --user disable tactora.service", then deletes the unit and its enablement.
  void removeAgent() override;

  std::string autostartEntryPath() const;
  std::string unitPath() const;

  // The file contents, with the program quoted for each file's own syntax.
  static std::string autostartEntry(const std::string& executablePath);
  static std::string unitFile(const std::string& executablePath);

 private:
  std::string configHome_;
  std::string executablePath_;
  Launch launch_;
};

}  // namespace tactora::lx
