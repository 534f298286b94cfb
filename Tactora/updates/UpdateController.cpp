#include "Tactora/updates/UpdateController.h"

#include <QUrl>

#include "Platform/Logger.h"

namespace tactora {

namespace {

const platform::Logger logger("UpdateController");

}  // namespace

std::optional<std::string> UpdateController::validFeedURL(const std::optional<std::string>& text) {
  if (!text) {
    return std::nullopt;
  }
  const QUrl url(QString::fromStdString(*text), QUrl::StrictMode);
  if (!url.isValid() || url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0 ||
      url.host().isEmpty()) {
    return std::nullopt;
  }
  return text;
}

UpdateController::UpdateController(platform::Updater& updater, platform::Preferences& preferences)
    : updater_(updater) {
  // The hooks hold only the preferences (which live as long as the process), never this
  // controller, so the updater may outlive it.
  platform::UpdaterHooks hooks;
  hooks.feedURLString = [&preferences] {
    return validFeedURL(preferences.string(feedURLOverrideKey));
  };
  hooks.didFinishLoadingAppcast = [](long itemCount) {
    logger.notice("appcast loaded: %{public}ld item(s)", {itemCount});
  };
  hooks.didAbortWithError = [](const platform::UpdateError& error) {
    if (error.domain == platform::Updater::errorDomain &&
        error.code == platform::Updater::noUpdateErrorCode) {
      logger.debug("update check found nothing new");
    } else {
      logger.error("update check failed: %{public}s", {error.localizedDescription});
    }
  };
  if (const std::optional<std::string> failure = updater_.start(std::move(hooks))) {
    logger.error("updater failed to start: %{public}s", {*failure});
  }
}

}  // namespace tactora
