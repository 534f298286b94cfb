#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Workspace.h"
#include "Platform/linux/desktop/ApplicationIndex.h"

namespace tactora::lx {

// The desktop around the application on Linux: the front application as the window system names
// it, display names from the installed .desktop files, URLs through xdg-open, detached child
// processes, the login shell from $SHELL, and the application's own installation and folders.
// Waking from sleep is delivered when the platform reports it (`systemDidWake`); activation
// notices are not delivered: that subscription does nothing.
class LinuxWorkspace final : public platform::Workspace {
 public:
  struct Parts {
    // The front application's desktop-file id; null: never known.
    std::function<std::optional<std::string>()> frontApplication;
    std::shared_ptr<const ApplicationIndex> applications;  // null: no names
    platform::BundleInfo bundle;
    std::string applicationSupportDirectory;
    // Runs work on the main thread, later; null: handlers run on the reporting thread.
    std::function<void(std::function<void()>)> onMainThread;
  };

  explicit LinuxWorkspace(Parts parts);

  // The installation of the running executable: its folder's parent (the prefix), the
  // executable, `<prefix>/share/tactora` for resources, and `version` as both version strings.
  static platform::BundleInfo bundleOfRunningExecutable(const std::string& version);
  // $XDG_CONFIG_HOME when absolute, else $HOME/.config.
  static std::string configHomeFromEnvironment();

  std::optional<std::string> frontmostApplicationBundleIdentifier() override;
  std::optional<std::string> displayNameForBundleIdentifier(
      const std::string& bundleIdentifier) override;
  // Only text with a URL scheme ("https:", "mailto:", "file:") is handed to xdg-open, so an
  // argument can never be taken for an option or a local path by accident.
  bool openURL(const std::string& url) override;
  bool launchProcess(const std::string& executable,
                     const std::vector<std::string>& arguments) override;
  std::string loginShell() override;

  platform::Subscription subscribeDidWake(std::function<void()> handler) override;
  platform::Subscription subscribeDidBecomeActive(std::function<void()> handler) override;
  platform::Subscription beginActivity(std::uint64_t options, const std::string& reason) override;

  platform::BundleInfo mainBundle() override { return parts_.bundle; }
  std::string applicationSupportDirectory() override { return parts_.applicationSupportDirectory; }

  // Whether `text` starts with a URL scheme: a letter, then letters, digits, '+', '-' or '.',
  // then ':' and something after it.
  static bool hasURLScheme(const std::string& text);

  // The system woke from sleep: the did-wake handlers run on the main thread. Any thread.
  void systemDidWake();

 private:
  // The did-wake handlers, shared with the work queued for the main thread, which may run after
  // the workspace is gone.
  struct WakeHandlers {
    std::mutex mutex;
    std::map<std::uint64_t, std::function<void()>> handlers;
    std::uint64_t nextID = 0;
  };

  Parts parts_;
  std::shared_ptr<WakeHandlers> wakeHandlers_ = std::make_shared<WakeHandlers>();
};

}  // namespace tactora::lx
