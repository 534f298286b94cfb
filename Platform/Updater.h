#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tactora::platform {

// An error with which an update check ended.
struct UpdateError {
  std::string domain;  // `Updater::errorDomain` for the updater's own errors
  long code = 0;       // with that domain, `Updater::noUpdateErrorCode` means nothing new
  std::string localizedDescription;
};

// What the updater asks of and reports to the application.
struct UpdaterHooks {
  // The feed address to use instead of the bundle's own; empty to use the bundle's.
  std::function<std::optional<std::string>()> feedURLString;
  std::function<void(long itemCount)> didFinishLoadingAppcast;
  std::function<void(const UpdateError& error)> didAbortWithError;
};

// The outside update framework: checks, downloads and installs; ready updates are installed and
// the application relaunched without a further question.
class Updater {
 public:
  static constexpr const char* errorDomain = "SUSparkleErrorDomain";
  static constexpr long noUpdateErrorCode = 1001;

  virtual ~Updater() = default;

  // Installs the hooks and starts the updater; empty on success, else the error's description.
  virtual std::optional<std::string> start(UpdaterHooks hooks) = 0;
  // A check the user asked for.
  virtual void checkForUpdates() = 0;
  virtual bool automaticallyChecksForUpdates() = 0;
  virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
};

}  // namespace tactora::platform
