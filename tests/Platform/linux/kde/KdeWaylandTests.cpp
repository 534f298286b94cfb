// KDE Plasma on Wayland against the real kwin_wayland: only KWin's script can tell the focused
// application there, to the running application and to `tactora doctor` alike.

#include <gtest/gtest.h>

#include "tests/Platform/linux/kde/KdeTestSession.h"

namespace tactora::lx::test {
namespace {

using tactora::testing::eventually;

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(
    new KdeTestSession(tactora::testing::KWinSession::Kind::wayland));

TEST(KdeWayland, DoctorNamesTheFocusedApplicationAndLeavesTheRunningOnesScriptAlone) {
  ASSERT_KDE_SESSION();
  auto& kde = KdeTestSession::get();
  auto running = kde.followFocus();
  ASSERT_TRUE(kde.kwin().openWaylandWindow("native", "org.example.Probe"));
  ASSERT_TRUE(eventually([&] { return running->frontApplication() == "org.example.Probe"; }));

  const auto doctor = kde.program().run({"doctor"});
  EXPECT_NE(doctor.output.find("Focused application: from KWin script (org.kde.KWin); now "
                               "org.example.Probe (Probe)\n"),
            std::string::npos)
      << doctor.output;

  ASSERT_TRUE(kde.openWindow("other"));
  EXPECT_TRUE(eventually([&] { return running->frontApplication() == "org.example.Other"; }))
      << "the running application's script went with doctor's";
}

// The focused application comes from KWin's script here, for the Xwayland windows as well.
TEST(KdeWayland, RecordedGesturesActOnTheDesktop) {
  ASSERT_KDE_SESSION();
  expectRecordedGesturesActOnTheDesktop();
}

}  // namespace
}  // namespace tactora::lx::test
