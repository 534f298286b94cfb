#include "Tactora/updates/UpdateNotice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

class UpdateNoticeTest : public ::testing::Test {
 protected:
  void SetUp() override { sim = sim::SimPlatform::install(); }
  std::optional<std::string> lastSeen() {
    return sim->preferences().string(UpdateNotice::lastSeenAppVersionKey);
  }
  std::shared_ptr<sim::SimPlatform> sim;
};

TEST_F(UpdateNoticeTest, RecordsEveryLaunchAndShowsTheNoticeOnlyAfterAChange) {
  UpdateNotice notice(sim->preferences(), sim->dispatch().main());
  notice.showUpdateNoticeIfNeeded("2.1", "57");
  EXPECT_EQ(notice.currentNotice(), nullptr);
  EXPECT_EQ(lastSeen(), "2.1 (57)");

  notice.showUpdateNoticeIfNeeded("2.1", "57");
  EXPECT_EQ(notice.currentNotice(), nullptr);

  // A new build alone brings the notice, which names only the version.
  notice.showUpdateNoticeIfNeeded("2.1", "58");
  ASSERT_NE(notice.currentNotice(), nullptr);
  EXPECT_EQ(notice.currentNotice()->message(), "Tactora updated to 2.1");
  EXPECT_EQ(lastSeen(), "2.1 (58)");

  EXPECT_EQ(UpdateNotice::versionText(std::nullopt, std::nullopt), "0.0 (0)");
  EXPECT_EQ(UpdateNotice::noticeMessage("2.1 (58)", std::nullopt, "58"), "Tactora updated to 0.0");
}

TEST_F(UpdateNoticeTest, ThePanelSitsAtTheTopNeverTakesInputAndFadesAfterThreeAndAHalfSeconds) {
  sim->preferences().setString(UpdateNotice::lastSeenAppVersionKey, "0.9 (1)");
  UpdateNotice notice(sim->preferences(), sim->dispatch().main());
  notice.showUpdateNoticeIfNeeded("1.0", "2");
  NoticePanel* panel = notice.currentNotice();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->isVisible());
  const Qt::WindowFlags flags = panel->windowFlags();
  for (const Qt::WindowType flag :
       {Qt::FramelessWindowHint, Qt::WindowTransparentForInput, Qt::WindowDoesNotAcceptFocus,
        Qt::WindowStaysOnTopHint, Qt::X11BypassWindowManagerHint}) {
    EXPECT_TRUE(flags.testFlag(flag)) << flag;
  }
  EXPECT_EQ(panel->windowType(), Qt::Tool);  // never in the task bar or the switcher
  EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));

  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(panel->geometry().bottom() + 1, available.top() + 80);
  EXPECT_LE(std::abs(panel->geometry().center().x() - available.center().x()), 1);
  EXPECT_GE(panel->width(), panel->sizeHint().width());

  sim->timeline().advanceBy(3.49);
  EXPECT_EQ(panel->fadeAnimation(), nullptr);
  sim->timeline().advanceBy(0.01);
  QPropertyAnimation* fade = panel->fadeAnimation();
  ASSERT_NE(fade, nullptr);
  EXPECT_EQ(fade->duration(), 400);
  EXPECT_EQ(fade->endValue().toDouble(), 0.0);
  fade->setCurrentTime(fade->duration());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(notice.currentNotice(), nullptr);
}

}  // namespace
}  // namespace tactora
