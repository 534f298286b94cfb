#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include "Platform/sim/SimPlatform.h"
#include "Tactora/updates/UpdateController.h"
#include "Tactora/updates/UpdateNotice.h"

namespace tactora {
namespace {

// The first launch and a launch of the same build show nothing; a new build alone brings the
// notice, which names only the version (0.0 when the build has none).
TEST(UpdateNotice, RecordsEveryLaunchAndShowsTheNoticeOnlyAfterAChange) {
  auto sim = sim::SimPlatform::install();
  UpdateNotice notice(sim->preferences(), sim->dispatch().main());
  std::vector<std::string> shown;
  using Version = std::optional<std::string>;
  for (const auto& [version, build] : std::vector<std::pair<Version, Version>>{
           {"2.1", "57"}, {"2.1", "57"}, {"2.1", "58"}, {std::nullopt, std::nullopt}}) {
    notice.showUpdateNoticeIfNeeded(version, build);
    shown.push_back(notice.currentNotice() ? notice.currentNotice()->message().toStdString() : "-");
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"-", "-", "Tactora updated to 2.1",
                                             "Tactora updated to 0.0"}));
  EXPECT_EQ(sim->preferences().string(UpdateNotice::lastSeenAppVersionKey), "0.0 (0)");
}

// Whichever way the desktop shows it, the notice sits at the top, stays 3.5 s, fades for 0.4 s and
// then goes, the panel with it. (How each kind of panel is shown and taken away is the overlay's
// tests' subject: both are the same heads-up panel.)
TEST(UpdateNotice, TheNoticeSitsAtTheTopTheDesktopsWayAndGoesAfterItsFade) {
  using platform::PanelKind;
  for (const PanelKind kind :
       {PanelKind::unmanagedWindow, PanelKind::overlaySurface, PanelKind::drawnByShell}) {
    SCOPED_TRACE(static_cast<int>(kind));
    auto sim = sim::SimPlatform::install();
    sim->panels().setKind(kind);
    sim->preferences().setString(UpdateNotice::lastSeenAppVersionKey, "0.9 (1)");
    UpdateNotice notice(sim->preferences(), sim->dispatch().main(), &sim->panels(),
                        [&sim] { return sim->timeline().now(); });
    notice.showUpdateNoticeIfNeeded("1.0", "2");
    NoticePanel* panel = notice.currentNotice();
    ASSERT_NE(panel, nullptr);
    if (kind == PanelKind::unmanagedWindow) {
      const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
      EXPECT_EQ(panel->geometry().bottom() + 1, available.top() + 80);
      EXPECT_LE(std::abs(panel->geometry().center().x() - available.center().x()), 1);
    }
    if (kind == PanelKind::overlaySurface) {
      ASSERT_FALSE(sim->panels().surfaceEvents().empty());
      const auto& shown = sim->panels().surfaceEvents().front();
      EXPECT_EQ(shown.anchor,
                (platform::PanelAnchor{platform::PanelAnchor::Edge::top, 80 - shown.height}));
    }
    EXPECT_EQ(sim->panels().shellTexts(), kind == PanelKind::drawnByShell
                                              ? std::vector<std::string>{"Tactora updated to 1.0"}
                                              : std::vector<std::string>{});

    sim->timeline().advanceBy(3.49);
    EXPECT_EQ(panel->alpha(), 1.0);
    sim->timeline().advanceBy(0.21);
    EXPECT_NEAR(panel->alpha(), 0.5, 0.05);
    sim->timeline().advanceBy(0.25);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(notice.currentNotice(), nullptr);
  }
}

// A feed address from outside is used only over https and with a host.
TEST(UpdateFeedOverride, OnlyHttpsAddressesWithAHostAreUsed) {
  for (const auto& [text, used] :
       std::vector<std::pair<std::string, bool>>{{"https://example.org/appcast.xml", true},
                                                 {"HtTpS://example.org:8443/feed", true},
                                                 {"http://example.org/appcast.xml", false},
                                                 {"https:///appcast.xml", false},
                                                 {"https:appcast.xml", false},
                                                 {"", false},
                                                 {"https://exa mple.org/", false}}) {
    EXPECT_EQ(UpdateController::validFeedURL(text).has_value(), used) << text;
  }
  EXPECT_EQ(UpdateController::validFeedURL(std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace tactora
