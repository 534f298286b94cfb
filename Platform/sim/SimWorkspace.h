#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Workspace.h"
#include "Platform/sim/RecordStream.h"

namespace tactora::sim {

// The desktop of the simulation: a front application a test chooses, recorded URLs and launched
// processes (never actually started), notifications the test posts, and a private temporary
// folder for application data.
class SimWorkspace : public platform::Workspace {
 public:
  struct LaunchedProcess {
    std::string executable;
    std::vector<std::string> arguments;
    friend bool operator==(const LaunchedProcess&, const LaunchedProcess&) = default;
  };
  struct Activity {
    std::uint64_t options;
    std::string reason;
    bool ended;
  };

  SimWorkspace();

  std::optional<std::string> frontmostApplicationBundleIdentifier() override;
  std::optional<std::string> displayNameForBundleIdentifier(
      const std::string& bundleIdentifier) override;
  bool openURL(const std::string& url) override;
  bool launchProcess(const std::string& executable,
                     const std::vector<std::string>& arguments) override;
  std::string loginShell() override;
  platform::Subscription subscribeDidWake(std::function<void()> handler) override;
  platform::Subscription subscribeDidBecomeActive(std::function<void()> handler) override;
  platform::Subscription beginActivity(std::uint64_t options, const std::string& reason) override;
  platform::BundleInfo mainBundle() override;
  std::string applicationSupportDirectory() override;

  void setFrontmostApplication(std::optional<std::string> bundleIdentifier);
  void setDisplayName(const std::string& bundleIdentifier, const std::string& name);
  // A launch is recorded either way; with `fails` it reports failure.
  void setLaunchFails(bool fails);
  // "/bin/zsh" unless set, so that replays do not depend on the environment they run in.
  void setLoginShell(std::string path);
  void setMainBundle(platform::BundleInfo bundle);
  void setApplicationSupportDirectory(std::string path);

  // Calls the did-wake handlers now, on this thread (the simulated main thread).
  void postDidWake();
  void postDidBecomeActive();
  std::size_t didWakeSubscriberCount() const;

  // URLs opened successfully, and every launch, in order.
  std::vector<std::string> openedURLs() const;
  std::vector<LaunchedProcess> launchedProcesses() const;
  std::vector<Activity> activities() const;
  void clearRecords();
  // Called right after each URL is opened or process launched, on the calling thread and outside
  // the lock, so output can interleave with posted events in the order things happened. Null
  // clears. With `keep` false they are only shown to the observers, not kept.
  void setOpenedURLObserver(std::function<void(const std::string& url)> observer);
  void setLaunchObserver(std::function<void(const LaunchedProcess& process)> observer);
  void setKeepsRecords(bool keep);

 private:
  using Handlers = std::map<std::uint64_t, std::function<void()>>;
  platform::Subscription subscribe(Handlers& handlers, std::function<void()> handler);
  void post(const Handlers& handlers);

  mutable std::mutex mutex_;
  std::optional<std::string> front_;
  std::map<std::string, std::string> displayNames_;
  bool launchFails_ = false;
  std::string loginShell_ = "/bin/zsh";
  platform::BundleInfo bundle_;
  std::string applicationSupport_;
  std::uint64_t nextHandlerID_ = 0;
  Handlers didWake_;
  Handlers didBecomeActive_;
  std::vector<Activity> activities_;
  RecordStream<std::string> openedURLs_;
  RecordStream<LaunchedProcess> launched_;
};

}  // namespace tactora::sim
