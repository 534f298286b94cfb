#include "Tactora/updates/UpdateNotice.h"

namespace tactora {

namespace {

std::string orDefault(const std::optional<std::string>& value, const char* fallback) {
  return value ? *value : std::string(fallback);
}

}  // namespace

UpdateNotice::UpdateNotice(platform::Preferences& preferences, platform::RunLoop& mainQueue,
                           platform::Panels* panels, std::function<double()> nowSeconds)
    : preferences_(preferences),
      mainQueue_(mainQueue),
      panels_(panels),
      nowSeconds_(std::move(nowSeconds)) {}

UpdateNotice::~UpdateNotice() {
  delete current_.data();
}

std::string UpdateNotice::versionText(const std::optional<std::string>& shortVersion,
                                      const std::optional<std::string>& bundleVersion) {
  return orDefault(shortVersion, "0.0") + " (" + orDefault(bundleVersion, "0") + ")";
}

std::optional<std::string> UpdateNotice::noticeMessage(
    const std::optional<std::string>& lastSeen, const std::optional<std::string>& shortVersion,
    const std::optional<std::string>& bundleVersion) {
  if (!lastSeen || *lastSeen == versionText(shortVersion, bundleVersion)) {
    return std::nullopt;
  }
  return "Tactora updated to " + orDefault(shortVersion, "0.0");
}

void UpdateNotice::showUpdateNoticeIfNeeded(const std::optional<std::string>& shortVersion,
                                            const std::optional<std::string>& bundleVersion) {
  const std::optional<std::string> message =
      noticeMessage(preferences_.string(lastSeenAppVersionKey), shortVersion, bundleVersion);
  preferences_.setString(lastSeenAppVersionKey, versionText(shortVersion, bundleVersion));
  if (!message) {
    return;
  }
  auto* panel = new NoticePanel(QString::fromStdString(*message), mainQueue_, panels_, nowSeconds_);
  panel->present();
  current_ = panel;
}

}  // namespace tactora
