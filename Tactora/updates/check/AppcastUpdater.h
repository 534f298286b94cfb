#pragma once

#include <QList>
#include <QPointer>
#include <QSslCertificate>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Clock.h"
#include "Platform/Preferences.h"
#include "Platform/RunLoop.h"
#include "Platform/Updater.h"
#include "Platform/WorkItem.h"
#include "Tactora/updates/check/UpdateUserDriver.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace tactora {

// The updater of the Linux build: reads the appcast feed over HTTPS and, when it lists a newer
// version than this build, tells the user driver, which offers the release page. Nothing is
// downloaded or installed; the package manager does that. Redirects are followed only to https
// addresses. Automatic checks, when switched on, run at most once a day; the setting and the time
// of the last check are kept in the preferences. Main thread only.
class AppcastUpdater final : public platform::Updater {
 public:
  static constexpr const char* automaticChecksKey = "AutomaticallyChecksForUpdates";
  static constexpr const char* lastCheckTimeKey = "LastUpdateCheckTime";
  // The domain of the errors of this updater (network, feed); nothing new is reported with the
  // framework's own domain and code, as the controller expects.
  static constexpr const char* checkErrorDomain = "TactoraUpdateCheck";
  static constexpr double automaticIntervalSeconds = 24 * 60 * 60;
  // A check that is due waits this long after start, so it never slows the launch down.
  static constexpr double launchDelaySeconds = 10;
  static constexpr qint64 maximumFeedBytes = 1024 * 1024;
  static constexpr int maximumRedirects = 5;

  struct Options {
    std::string bundleFeedURL;   // the feed built into the program; may be empty
    std::string currentVersion;  // this build's version, compared with each item's
    std::chrono::milliseconds timeout{15000};
    bool automaticChecksByDefault = true;
    // When set, the only certificate authorities trusted (tests trust their own).
    std::optional<QList<QSslCertificate>> trustedCertificates;
  };

  AppcastUpdater(platform::Preferences& preferences, platform::Clock& clock,
                 platform::RunLoop& mainQueue, UpdateUserDriver& userDriver, Options options);
  ~AppcastUpdater() override;
  AppcastUpdater(const AppcastUpdater&) = delete;
  AppcastUpdater& operator=(const AppcastUpdater&) = delete;

  std::optional<std::string> start(platform::UpdaterHooks hooks) override;
  void checkForUpdates() override;
  bool automaticallyChecksForUpdates() override;
  void setAutomaticallyChecksForUpdates(bool on) override;

  bool isChecking() const { return !reply_.isNull(); }
  // The automatic check scheduled next, in seconds from now; nothing when none is.
  std::optional<double> secondsUntilAutomaticCheck() const;

 private:
  void check(bool userInitiated);
  void finishCheck(QNetworkReply* reply);
  void fail(const std::string& description, long code, bool userInitiated);
  void scheduleAutomaticCheck();
  QNetworkAccessManager& network();

  platform::Preferences& preferences_;
  platform::Clock& clock_;
  platform::RunLoop& mainQueue_;
  UpdateUserDriver& userDriver_;
  Options options_;
  platform::UpdaterHooks hooks_;
  bool started_ = false;
  std::unique_ptr<QNetworkAccessManager> network_;
  QPointer<QNetworkReply> reply_;
  bool userInitiated_ = false;
  std::optional<QUrl> refusedRedirect_;
  bool tooLarge_ = false;
  std::shared_ptr<platform::WorkItem> automaticCheck_;
  double automaticCheckDue_ = 0;
};

}  // namespace tactora
