#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform/BundleInfo.h"
#include "Platform/Subscription.h"

namespace tactora::platform {

// The desktop around the application: the front application, other applications' names, URLs,
// child processes, system notifications and the application's own bundle and folders.
class Workspace {
 public:
  virtual ~Workspace() = default;

  // Bundle identifier of the front application; empty when there is none or it has none.
  virtual std::optional<std::string> frontmostApplicationBundleIdentifier() = 0;
  // Display name of the installed application with this bundle identifier, when known.
  virtual std::optional<std::string> displayNameForBundleIdentifier(
      const std::string& bundleIdentifier) = 0;
  // Opens `url` with its default handler; false when the text is not a valid URL or nothing
  // handles it.
  virtual bool openURL(const std::string& url) = 0;
  // Starts `executable` with `arguments` (not including argv[0]), standard streams on the null
  // device, inheriting environment and working directory; does not wait. False when the launch
  // failed; the child's exit status is never observed.
  virtual bool launchProcess(const std::string& executable,
                             const std::vector<std::string>& arguments) = 0;
  // The user's login shell, which runs shell-command actions with "-lc" and the text.
  virtual std::string loginShell() = 0;

  // The system woke from sleep. Handlers run on the main thread.
  virtual Subscription subscribeDidWake(std::function<void()> handler) = 0;
  // The application became active (was brought to the front). Handlers run on the main thread.
  virtual Subscription subscribeDidBecomeActive(std::function<void()> handler) = 0;

  // Keeps the system from napping the process while the returned activity lives.
  virtual Subscription beginActivity(std::uint64_t options, const std::string& reason) = 0;

  virtual BundleInfo mainBundle() = 0;
  // The per-user folder for application data, without the "Tactora" sub-folder.
  virtual std::string applicationSupportDirectory() = 0;
};

}  // namespace tactora::platform
