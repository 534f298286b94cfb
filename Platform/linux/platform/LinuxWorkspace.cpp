#include "Platform/linux/platform/LinuxWorkspace.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "Platform/linux/ProcessLauncher.h"

namespace tactora::lx {

LinuxWorkspace::LinuxWorkspace(Parts parts) : parts_(std::move(parts)) {}

platform::BundleInfo LinuxWorkspace::bundleOfRunningExecutable(const std::string& version) {
  platform::BundleInfo bundle;
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    bundle.executablePath = executable.string();
    bundle.bundlePath = executable.parent_path().parent_path().string();
    bundle.resourcesPath = (executable.parent_path().parent_path() / "share" / "tactora").string();
  }
  bundle.shortVersionString = version;
  bundle.bundleVersion = version;
  return bundle;
}

std::string LinuxWorkspace::configHomeFromEnvironment() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (configHome != nullptr && std::filesystem::path(configHome).is_absolute()) {
    return configHome;
  }
  const char* home = std::getenv("HOME");
  return (std::filesystem::path(home != nullptr && *home != '\0' ? home : "/") / ".config")
      .string();
}

std::optional<std::string> LinuxWorkspace::frontmostApplicationBundleIdentifier() {
  if (!parts_.frontApplication) {
    return std::nullopt;
  }
  return parts_.frontApplication();
}

std::optional<std::string> LinuxWorkspace::displayNameForBundleIdentifier(
    const std::string& bundleIdentifier) {
  if (!parts_.applications) {
    return std::nullopt;
  }
  return parts_.applications->displayName(bundleIdentifier);
}

bool LinuxWorkspace::hasURLScheme(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size() ||
      !std::isalpha(static_cast<unsigned char>(text[0]))) {
    return false;
  }
  for (std::size_t i = 1; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

bool LinuxWorkspace::openURL(const std::string& url) {
  if (!hasURLScheme(url)) {
    return false;
  }
  return ProcessLauncher::launchDetached("xdg-open", {url}) >= 0;
}

bool LinuxWorkspace::launchProcess(const std::string& executable,
                                   const std::vector<std::string>& arguments) {
  return ProcessLauncher::launchDetached(executable, arguments) >= 0;
}

std::string LinuxWorkspace::loginShell() {
  return ProcessLauncher::loginShellFromEnvironment();
}

platform::Subscription LinuxWorkspace::subscribeDidWake(std::function<void()> handler) {
  std::lock_guard lock(wakeHandlers_->mutex);
  const std::uint64_t id = wakeHandlers_->nextID++;
  wakeHandlers_->handlers.emplace(id, std::move(handler));
  return platform::Subscription([weak = std::weak_ptr(wakeHandlers_), id] {
    if (const auto state = weak.lock()) {
      std::lock_guard lock(state->mutex);
      state->handlers.erase(id);
    }
  });
}

void LinuxWorkspace::systemDidWake() {
  auto run = [weak = std::weak_ptr(wakeHandlers_)] {
    const auto state = weak.lock();
    if (!state) {
      return;
    }
    std::vector<std::function<void()>> toCall;
    {
      std::lock_guard lock(state->mutex);
      for (const auto& [id, handler] : state->handlers) {
        toCall.push_back(handler);
      }
    }
    // Called without the lock, so a handler may subscribe or cancel.
    for (const auto& handler : toCall) {
      handler();
    }
  };
  if (parts_.onMainThread) {
    parts_.onMainThread(std::move(run));
  } else {
    run();
  }
}

platform::Subscription LinuxWorkspace::subscribeDidBecomeActive(std::function<void()>) {
  return {};
}

platform::Subscription LinuxWorkspace::beginActivity(std::uint64_t, const std::string&) {
  // Linux does not nap background processes; the activity only has to exist while held.
  return platform::Subscription([] {});
}

}  // namespace tactora::lx
