#pragma once

#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "Platform/Preferences.h"
#include "Platform/RunLoop.h"
#include "Tactora/updates/NoticePanel.h"

namespace tactora {

// The one-time "Tactora updated to …" notice: at launch the version text of this build is
// compared with the one the last launch recorded, and a changed version or build number shows the
// notice. The first launch records its version and shows nothing.
class UpdateNotice {
 public:
  static constexpr const char* lastSeenAppVersionKey = "LastSeenAppVersion";

  // `panels` null: the notice is a window of its own; `nowSeconds` empty: the process's monotonic
  // clock (see NoticePanel).
  UpdateNotice(platform::Preferences& preferences, platform::RunLoop& mainQueue,
               platform::Panels* panels = nullptr, std::function<double()> nowSeconds = {});
  ~UpdateNotice();
  UpdateNotice(const UpdateNotice&) = delete;
  UpdateNotice& operator=(const UpdateNotice&) = delete;

  // Run once at launch with this build's version ("2.1") and build number ("57").
  void showUpdateNoticeIfNeeded(const std::optional<std::string>& shortVersion,
                                const std::optional<std::string>& bundleVersion);
  // The notice on screen, until its fade has ended.
  NoticePanel* currentNotice() const { return current_.data(); }

  // "2.1 (57)"; "0.0" and "0" stand in for a missing version or build number.
  static std::string versionText(const std::optional<std::string>& shortVersion,
                                 const std::optional<std::string>& bundleVersion);
  // "Tactora updated to 2.1" when `lastSeen` is known and differs from this build's text.
  static std::optional<std::string> noticeMessage(const std::optional<std::string>& lastSeen,
                                                  const std::optional<std::string>& shortVersion,
                                                  const std::optional<std::string>& bundleVersion);

 private:
  platform::Preferences& preferences_;
  platform::RunLoop& mainQueue_;
  platform::Panels* panels_;
  std::function<double()> nowSeconds_;
  QPointer<NoticePanel> current_;
};

}  // namespace tactora
