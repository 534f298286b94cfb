// KDE Plasma on X11 against the real kwin_x11 and kglobalaccel5: KWin's commands through its
// shortcuts, checked on the desktop itself, and the focused application as KWin's script tells
// it, through KWin being replaced and a second process of ours beside the first.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "Platform/Log.h"
#include "Platform/linux/kde/KGlobalAccel.h"
#include "Platform/linux/kde/KdeDesktop.h"
#include "Platform/linux/platform/DesktopServices.h"
#include "support/CapturingLogSink.h"
#include "tests/Platform/linux/kde/KdeTestSession.h"
#include "tests/support/SourceTree.h"

namespace tactora::lx::test {
namespace {

using namespace std::chrono_literals;
using tactora::testing::eventually;

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(
    new KdeTestSession(tactora::testing::KWinSession::Kind::x11Composited));

KdeTestSession& kde() {
  return KdeTestSession::get();
}

void openProbeWindows() {
  ASSERT_TRUE(kde().openWindow("other") && kde().openWindow("probe"));
}

void useCompositing(bool composited) {
  if (kde().kwin().composited() != composited) {
    ASSERT_TRUE(kde().kwin().replace(composited));
  }
}

bool follows(const KWinFrontApplication& front, const std::string& title, const char* id) {
  return kde().kwin().activate(title) && eventually([&] { return front.frontApplication() == id; });
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(KWinFrontApplication, FollowsActivationsMatchingTheInstanceOrClassOnlyKWinsAndANewKWins) {
  ASSERT_KDE_SESSION();
  openProbeWindows();
  auto front = kde().followFocus();
  // StartupWMClass names the instance of the probe's window, and the class of the other's.
  EXPECT_TRUE(follows(*front, "probe", "org.example.Probe"));
  EXPECT_TRUE(follows(*front, "other", "org.example.Other"));

  // Any other program on the bus is refused when it reports an activation.
  std::string script;
  for (const auto& entry : std::filesystem::directory_iterator(kde().session().folder())) {
    if (entry.path().filename().string().starts_with("tactora-kwin-")) {
      script = testing::readFile(entry.path());
    }
  }
  std::smatch ours;
  ASSERT_TRUE(std::regex_search(script, ours, std::regex(R"re(callDBus\("([^"]+)")re")));
  const auto forged = kde().session().run(
      {"busctl", "--user", "call", ours[1], KWinFrontApplication::objectPath,
       KWinFrontApplication::interfaceName, "Activated", "sss", "org.example.Forged", "", ""});
  EXPECT_NE(forged.status, 0);
  EXPECT_NE(forged.output.find("Access denied"), std::string::npos) << forged.output;
  EXPECT_EQ(front->frontApplication(), "org.example.Other");

  // A new KWin owns its bus name before it serves its scripting service.
  ASSERT_TRUE(kde().kwin().replace(!kde().kwin().composited()));
  EXPECT_TRUE(follows(*front, "probe", "org.example.Probe"));
  EXPECT_TRUE(follows(*front, "other", "org.example.Other"));
}

// On X11 the X server tells the active window; KWin's script would only cost a thread and a
// connection.
TEST(KdeDesktop, OnX11TheActiveWindowTellsTheFocusedApplicationWithoutKWinsScript) {
  ASSERT_KDE_SESSION();
  openProbeWindows();
  const auto log = std::make_shared<platform::CapturingLogSink>();
  const auto previous = platform::Log::setSink(log);
  DesktopServices::Session session;
  session.type = "x11";
  session.currentDesktop = "KDE";
  const auto functions =
      DesktopServices::assemble(session, X11Connection::open(), kde().applications());
  platform::Log::setSink(previous);
  EXPECT_TRUE(log->messages("KWinFrontApplication").empty()) << "the script's thread started";
  EXPECT_EQ(functions.frontApplicationSource, "X11 _NET_ACTIVE_WINDOW");
  ASSERT_TRUE(kde().kwin().activate("probe"));
  EXPECT_EQ(functions.frontApplication(), "org.example.Probe");
}

TEST(KdeDesktop, EveryActionRunsItsKWinShortcutOnTheDesktop) {
  ASSERT_KDE_SESSION();
  useCompositing(true);
  openProbeWindows();
  auto& kwin = kde().kwin();
  const auto desktop = KdeDesktop::functions(kde().applications(), false);
  ASSERT_TRUE(desktop.switchWorkspace && desktop.dockNotification && desktop.closeActiveWindow);
  EXPECT_FALSE(desktop.frontApplication);

  // Closing first: when an overview ends it may activate a window of its own choosing.
  ASSERT_TRUE(kwin.openXWindow("doomed", "doomed", "Doomed"));
  EXPECT_TRUE(desktop.closeActiveWindow());
  EXPECT_TRUE(eventually([&] { return !contains(kwin.windowTitles(), "doomed"); }));
  EXPECT_TRUE(contains(kwin.windowTitles(), "probe"));

  kde().session().run({"wmctrl", "-s", "0"});
  ASSERT_TRUE(eventually([&] { return kwin.currentDesktop() == 0; }));
  EXPECT_TRUE(desktop.switchWorkspace(WorkspaceDirection::right));
  EXPECT_TRUE(eventually([&] { return kwin.currentDesktop() == 1; }));
  EXPECT_TRUE(desktop.switchWorkspace(WorkspaceDirection::left));
  EXPECT_TRUE(eventually([&] { return kwin.currentDesktop() == 0; }));

  // Each view is shown and then, asked again, taken away.
  for (const bool shown : {true, false}) {
    EXPECT_TRUE(desktop.dockNotification(dockNotification::showDesktop));
    EXPECT_TRUE(eventually([&] { return kwin.showingDesktop() == shown; }));
  }
  for (const auto& view : {std::pair(dockNotification::missionControl, "overview"),
                           std::pair(dockNotification::appExpose, "windowview")}) {
    const auto notification = view.first;
    const std::string effect = view.second;
    for (const bool shown : {true, false}) {
      EXPECT_TRUE(desktop.dockNotification(notification)) << effect;
      EXPECT_TRUE(eventually([&] { return contains(kwin.activeEffects(), effect) == shown; }))
          << effect << (shown ? " did not show" : " did not go away");
    }
  }
  EXPECT_FALSE(desktop.dockNotification("com.apple.launchpad.toggle"));
  EXPECT_FALSE(KGlobalAccel(std::make_shared<SessionBus>()).invokeShortcut("No Such Shortcut"));
}

// kglobalaccel keeps listing, and accepts, the shortcuts of effects that compositing took away.
TEST(KdeDesktop, WithoutCompositingTheOverviewsAreNotDoneAndDoctorSaysWhy) {
  ASSERT_KDE_SESSION();
  useCompositing(false);
  const auto names = KGlobalAccel(std::make_shared<SessionBus>()).shortcutNames();
  ASSERT_TRUE(names && contains(*names, "Overview") && contains(*names, "ExposeClass"));

  const auto desktop = KdeDesktop::functions(kde().applications(), false);
  EXPECT_FALSE(desktop.dockNotification(dockNotification::missionControl));
  EXPECT_FALSE(desktop.dockNotification(dockNotification::appExpose));
  EXPECT_TRUE(desktop.dockNotification(dockNotification::showDesktop));
  EXPECT_TRUE(eventually([&] { return kde().kwin().showingDesktop(); }));
  EXPECT_TRUE(desktop.dockNotification(dockNotification::showDesktop));

  const auto doctor = kde().program().run({"doctor"});
  EXPECT_EQ(doctor.status, 0);
  for (const char* line :
       {"    Overview: not available: KWin's \"overview\" effect is not loaded",
        "    ExposeClass: not available: KWin's \"windowview\" effect is not loaded",
        "    Show Desktop: available\n", "    Switch One Desktop to the Left: available\n",
        "    Switch One Desktop to the Right: available\n", "    Window Close: available\n"}) {
    EXPECT_NE(doctor.output.find(line), std::string::npos) << line << "\n" << doctor.output;
  }
}

TEST(KdeX11, RecordedGesturesActOnTheDesktop) {
  ASSERT_KDE_SESSION();
  expectRecordedGesturesActOnTheDesktop();
}

}  // namespace
}  // namespace tactora::lx::test
