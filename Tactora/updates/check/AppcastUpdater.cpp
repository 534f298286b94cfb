#include "Tactora/updates/check/AppcastUpdater.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "Tactora/updates/UpdateController.h"
#include "Tactora/updates/check/AppVersion.h"
#include "Tactora/updates/check/Appcast.h"

namespace tactora {

namespace {

std::optional<std::int64_t> parseSeconds(const std::optional<std::string>& text) {
  if (!text) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size()) {
    return std::nullopt;
  }
  return value;
}

// The newest item whose version reads as a version, when it is newer than `current`.
const Appcast::Item* newerItem(const Appcast& appcast, const AppVersion& current) {
  const Appcast::Item* newest = nullptr;
  std::optional<AppVersion> newestVersion;
  for (const Appcast::Item& item : appcast.items) {
    const std::optional<AppVersion> version = AppVersion::parse(item.displayVersion());
    if (version && (!newestVersion || *version > *newestVersion)) {
      newest = &item;
      newestVersion = version;
    }
  }
  return newestVersion && *newestVersion > current ? newest : nullptr;
}

}  // namespace

AppcastUpdater::AppcastUpdater(platform::Preferences& preferences, platform::Clock& clock,
                               platform::RunLoop& mainQueue, UpdateUserDriver& userDriver,
                               Options options)
    : preferences_(preferences),
      clock_(clock),
      mainQueue_(mainQueue),
      userDriver_(userDriver),
      options_(std::move(options)) {}

AppcastUpdater::~AppcastUpdater() {
  if (automaticCheck_) {
    automaticCheck_->cancel();
  }
  if (reply_) {
    reply_->disconnect();
    reply_->abort();
  }
}

QNetworkAccessManager& AppcastUpdater::network() {
  // Made on the first check, so a launch that checks nothing pays nothing for it.
  if (!network_) {
    network_ = std::make_unique<QNetworkAccessManager>();
  }
  return *network_;
}

std::optional<std::string> AppcastUpdater::start(platform::UpdaterHooks hooks) {
  hooks_ = std::move(hooks);
  const bool overridden = hooks_.feedURLString && hooks_.feedURLString().has_value();
  if (!overridden && !UpdateController::validFeedURL(options_.bundleFeedURL)) {
    return options_.bundleFeedURL.empty()
               ? std::string("no update feed address is configured")
               : "the update feed address " + options_.bundleFeedURL + " is not an https address";
  }
  started_ = true;
  scheduleAutomaticCheck();
  return std::nullopt;
}

void AppcastUpdater::checkForUpdates() {
  check(true);
}

bool AppcastUpdater::automaticallyChecksForUpdates() {
  const std::optional<std::string> value = preferences_.string(automaticChecksKey);
  if (value == "true") {
    return true;
  }
  if (value == "false") {
    return false;
  }
  return options_.automaticChecksByDefault;
}

void AppcastUpdater::setAutomaticallyChecksForUpdates(bool on) {
  preferences_.setString(automaticChecksKey, on ? "true" : "false");
  scheduleAutomaticCheck();
}

std::optional<double> AppcastUpdater::secondsUntilAutomaticCheck() const {
  if (!automaticCheck_) {
    return std::nullopt;
  }
  return std::max(0.0, automaticCheckDue_ - clock_.uptimeSeconds());
}

void AppcastUpdater::scheduleAutomaticCheck() {
  if (automaticCheck_) {
    automaticCheck_->cancel();
    automaticCheck_.reset();
  }
  if (!started_ || !automaticallyChecksForUpdates()) {
    return;
  }
  // Once a day by the wall clock, which survives restarts; a last check in the future (the
  // clock was set back) counts as long ago.
  const double now = clock_.wallClockSeconds();
  const std::optional<std::int64_t> last = parseSeconds(preferences_.string(lastCheckTimeKey));
  double delay = launchDelaySeconds;
  if (last && static_cast<double>(*last) <= now) {
    delay =
        std::max(launchDelaySeconds, static_cast<double>(*last) + automaticIntervalSeconds - now);
  }
  automaticCheckDue_ = clock_.uptimeSeconds() + delay;
  automaticCheck_ = mainQueue_.asyncAfter(delay, [this] {
    automaticCheck_.reset();
    check(false);
  });
}

void AppcastUpdater::check(bool userInitiated) {
  if (reply_) {
    userInitiated_ = userInitiated_ || userInitiated;  // the running check answers both
    return;
  }
  preferences_.setString(lastCheckTimeKey,
                         std::to_string(static_cast<std::int64_t>(clock_.wallClockSeconds())));
  const std::optional<std::string> overridden =
      hooks_.feedURLString ? hooks_.feedURLString() : std::nullopt;
  const std::string address = overridden ? *overridden : options_.bundleFeedURL;
  if (!UpdateController::validFeedURL(address)) {
    fail(address.empty() ? "no update feed address is configured"
                         : "the update feed address " + address + " is not an https address",
         0, userInitiated);
    scheduleAutomaticCheck();
    return;
  }

  QNetworkRequest request(QUrl(QString::fromStdString(address)));
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setMaximumRedirectsAllowed(maximumRedirects);
  request.setTransferTimeout(static_cast<int>(options_.timeout.count()));
  request.setHeader(QNetworkRequest::UserAgentHeader,
                    QString::fromStdString("Tactora/" + options_.currentVersion));
  if (options_.trustedCertificates) {
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates(*options_.trustedCertificates);
    request.setSslConfiguration(ssl);
  }

  userInitiated_ = userInitiated;
  refusedRedirect_.reset();
  tooLarge_ = false;
  QNetworkReply* reply = network().get(request);
  reply_ = reply;
  QObject::connect(reply, &QNetworkReply::redirected, reply, [this, reply](const QUrl& target) {
    if (target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) {
      emit reply->redirectAllowed();
    } else {
      refusedRedirect_ = target;
      reply->abort();
    }
  });
  QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                   [this, reply](qint64 received, qint64 total) {
                     if (received > maximumFeedBytes || total > maximumFeedBytes) {
                       tooLarge_ = true;
                       reply->abort();
                     }
                   });
  QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] { finishCheck(reply); });
}

void AppcastUpdater::finishCheck(QNetworkReply* reply) {
  reply->deleteLater();
  reply_.clear();
  const bool userInitiated = userInitiated_;
  userInitiated_ = false;
  const std::string address = reply->request().url().toString().toStdString();

  if (refusedRedirect_) {
    fail(address + ": refused the redirect to " + refusedRedirect_->toString().toStdString() +
             " (update feeds are only read over https)",
         QNetworkReply::InsecureRedirectError, userInitiated);
  } else if (tooLarge_) {
    fail(address + ": the feed is larger than " + std::to_string(maximumFeedBytes) + " bytes",
         QNetworkReply::OperationCanceledError, userInitiated);
  } else if (reply->error() != QNetworkReply::NoError) {
    fail(address + ": " + reply->errorString().toStdString(), reply->error(), userInitiated);
  } else {
    std::string parseError;
    const std::optional<Appcast> appcast = Appcast::parse(reply->readAll(), parseError);
    if (!appcast) {
      fail(address + ": not a valid appcast: " + parseError, QNetworkReply::UnknownContentError,
           userInitiated);
    } else {
      if (hooks_.didFinishLoadingAppcast) {
        hooks_.didFinishLoadingAppcast(static_cast<long>(appcast->items.size()));
      }
      const std::optional<AppVersion> current = AppVersion::parse(options_.currentVersion);
      const Appcast::Item* newer = current ? newerItem(*appcast, *current) : nullptr;
      if (newer != nullptr) {
        userDriver_.showUpdateFound(*newer, options_.currentVersion);
      } else {
        if (hooks_.didAbortWithError) {
          hooks_.didAbortWithError(
              {errorDomain, noUpdateErrorCode,
               "Tactora " + options_.currentVersion + " is the newest version available."});
        }
        if (userInitiated) {
          userDriver_.showUpdateNotFound(options_.currentVersion);
        }
      }
    }
  }
  scheduleAutomaticCheck();
}

void AppcastUpdater::fail(const std::string& description, long code, bool userInitiated) {
  if (hooks_.didAbortWithError) {
    hooks_.didAbortWithError({checkErrorDomain, code, description});
  }
  if (userInitiated) {
    userDriver_.showUpdaterError(description);
  }
}

}  // namespace tactora
