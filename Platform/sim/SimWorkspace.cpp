#include "Platform/sim/SimWorkspace.h"

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>

namespace tactora::sim {

namespace {

// A folder of its own for each simulated platform, so tests that write application data never
// meet each other's files. Created by whoever first writes into it.
std::filesystem::path freshSimRoot() {
  static std::atomic<unsigned> counter{0};
  return std::filesystem::temp_directory_path() /
         ("tactora-sim-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
}

// A URL in the sense of the desktop: a scheme, a colon, and no blanks or control characters.
bool isValidURL(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon == 0 ||
      !std::isalpha(static_cast<unsigned char>(text[0]))) {
    return false;
  }
  const bool schemeOK = std::all_of(text.begin(), text.begin() + colon, [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
  const bool restOK = std::none_of(text.begin(), text.end(), [](char c) {
    return std::isspace(static_cast<unsigned char>(c)) ||
           std::iscntrl(static_cast<unsigned char>(c));
  });
  return schemeOK && restOK;
}

}  // namespace

SimWorkspace::SimWorkspace() {
  const auto root = freshSimRoot();
  applicationSupport_ = (root / "Application Support").string();
  bundle_.bundlePath = (root / "Tactora.app").string();
  bundle_.executablePath = (root / "Tactora.app" / "tactora").string();
  bundle_.resourcesPath = (root / "Tactora.app" / "Resources").string();
  bundle_.shortVersionString = "0.1.0";
  bundle_.bundleVersion = "1";
}

std::optional<std::string> SimWorkspace::frontmostApplicationBundleIdentifier() {
  std::lock_guard lock(mutex_);
  return front_;
}

std::optional<std::string> SimWorkspace::displayNameForBundleIdentifier(
    const std::string& bundleIdentifier) {
  std::lock_guard lock(mutex_);
  const auto found = displayNames_.find(bundleIdentifier);
  return found != displayNames_.end() ? std::optional(found->second) : std::nullopt;
}

bool SimWorkspace::openURL(const std::string& url) {
  if (!isValidURL(url)) {
    return false;
  }
  openedURLs_.add(url);
  return true;
}

bool SimWorkspace::launchProcess(const std::string& executable,
                                 const std::vector<std::string>& arguments) {
  bool fails = false;
  {
    std::lock_guard lock(mutex_);
    fails = launchFails_;
  }
  launched_.add({executable, arguments});
  return !fails;
}

std::string SimWorkspace::loginShell() {
  std::lock_guard lock(mutex_);
  return loginShell_;
}

void SimWorkspace::setLoginShell(std::string path) {
  std::lock_guard lock(mutex_);
  loginShell_ = std::move(path);
}

platform::Subscription SimWorkspace::subscribe(Handlers& handlers, std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  const std::uint64_t id = nextHandlerID_++;
  handlers.emplace(id, std::move(handler));
  return platform::Subscription([this, &handlers, id] {
    std::lock_guard lock(mutex_);
    handlers.erase(id);
  });
}

platform::Subscription SimWorkspace::subscribeDidWake(std::function<void()> handler) {
  return subscribe(didWake_, std::move(handler));
}

platform::Subscription SimWorkspace::subscribeDidBecomeActive(std::function<void()> handler) {
  return subscribe(didBecomeActive_, std::move(handler));
}

platform::Subscription SimWorkspace::beginActivity(std::uint64_t options,
                                                   const std::string& reason) {
  std::lock_guard lock(mutex_);
  const std::size_t index = activities_.size();
  activities_.push_back({options, reason, false});
  return platform::Subscription([this, index] {
    std::lock_guard lock(mutex_);
    activities_[index].ended = true;
  });
}

platform::BundleInfo SimWorkspace::mainBundle() {
  std::lock_guard lock(mutex_);
  return bundle_;
}

std::string SimWorkspace::applicationSupportDirectory() {
  std::lock_guard lock(mutex_);
  return applicationSupport_;
}

void SimWorkspace::setFrontmostApplication(std::optional<std::string> bundleIdentifier) {
  std::lock_guard lock(mutex_);
  front_ = std::move(bundleIdentifier);
}

void SimWorkspace::setDisplayName(const std::string& bundleIdentifier, const std::string& name) {
  std::lock_guard lock(mutex_);
  displayNames_[bundleIdentifier] = name;
}

void SimWorkspace::setLaunchFails(bool fails) {
  std::lock_guard lock(mutex_);
  launchFails_ = fails;
}

void SimWorkspace::setMainBundle(platform::BundleInfo bundle) {
  std::lock_guard lock(mutex_);
  bundle_ = std::move(bundle);
}

void SimWorkspace::setApplicationSupportDirectory(std::string path) {
  std::lock_guard lock(mutex_);
  applicationSupport_ = std::move(path);
}

// Handlers are copied out and called without the lock, so a handler may unsubscribe itself.
void SimWorkspace::post(const Handlers& handlers) {
  std::vector<std::function<void()>> toCall;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, handler] : handlers) {
      toCall.push_back(handler);
    }
  }
  for (const auto& handler : toCall) {
    handler();
  }
}

void SimWorkspace::postDidWake() {
  post(didWake_);
}

void SimWorkspace::postDidBecomeActive() {
  post(didBecomeActive_);
}

std::size_t SimWorkspace::didWakeSubscriberCount() const {
  std::lock_guard lock(mutex_);
  return didWake_.size();
}

std::vector<std::string> SimWorkspace::openedURLs() const {
  return openedURLs_.records();
}

std::vector<SimWorkspace::LaunchedProcess> SimWorkspace::launchedProcesses() const {
  return launched_.records();
}

std::vector<SimWorkspace::Activity> SimWorkspace::activities() const {
  std::lock_guard lock(mutex_);
  return activities_;
}

void SimWorkspace::clearRecords() {
  openedURLs_.clear();
  launched_.clear();
}

void SimWorkspace::setOpenedURLObserver(std::function<void(const std::string& url)> observer) {
  openedURLs_.setObserver(std::move(observer));
}

void SimWorkspace::setLaunchObserver(std::function<void(const LaunchedProcess& process)> observer) {
  launched_.setObserver(std::move(observer));
}

void SimWorkspace::setKeepsRecords(bool keep) {
  openedURLs_.setKeeps(keep);
  launched_.setKeeps(keep);
}

}  // namespace tactora::sim
