// KDE Plasma on X11 against the real kwin_x11 and kglobalaccel5: KWin's commands through its
// shortcuts, checked on the desktop itself, and the focused application as KWin's script tells
// it, through KWin being replaced and a second process of ours beside the first; the session bus
// the desktop services are called through; and KWin's script on Plasma 6's API.

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>

#include "Platform/AtomicFile.h"
#include "Platform/Log.h"
#include "Platform/linux/bus/SessionBus.h"
#include "Platform/linux/kde/KGlobalAccel.h"
#include "Platform/linux/kde/KWinFrontApplication.h"
#include "Platform/linux/kde/KdeDesktop.h"
#include "Platform/linux/platform/DesktopServices.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "support/CapturingLogSink.h"
#include "tests/Platform/linux/kde/KdeTestSession.h"
#include "tests/support/SourceTree.h"
#include "tests/support/desktop/ChildProcess.h"
#include "tests/support/desktop/DesktopSession.h"

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
  testing::expectContains(forged.output, {"Access denied"});
  EXPECT_EQ(front->frontApplication(), "org.example.Other");

  // A new KWin owns its bus name before it serves its scripting service.
  ASSERT_TRUE(kde().kwin().replace(!kde().kwin().composited()));
  EXPECT_TRUE(follows(*front, "probe", "org.example.Probe"));
  EXPECT_TRUE(follows(*front, "other", "org.example.Other"));
}

// On X11 the X server tells the active window (as on any X11 desktop); KWin's script would only
// cost a thread and a connection.
TEST(KdeDesktop, OnX11TheActiveWindowTellsTheFocusedApplicationWithoutKWinsScript) {
  ASSERT_KDE_SESSION();
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
}

// Closing and switching desktops are played end to end below; the views are shown here.
TEST(KdeDesktop, EveryViewRunsItsKWinShortcutOnTheDesktop) {
  ASSERT_KDE_SESSION();
  useCompositing(true);
  openProbeWindows();
  auto& kwin = kde().kwin();
  const auto desktop = KdeDesktop::functions(kde().applications(), false);
  ASSERT_TRUE(desktop.switchWorkspace && desktop.dockNotification && desktop.closeActiveWindow);
  EXPECT_FALSE(desktop.frontApplication);

  // Each view is shown and then, asked again, taken away.
  const auto effect = [&](const char* name) {
    return [&kwin, name] { return contains(kwin.activeEffects(), name); };
  };
  for (const auto& [notification, showing] :
       {std::pair<std::string_view, std::function<bool()>>{dockNotification::showDesktop,
                                                           [&] { return kwin.showingDesktop(); }},
        {dockNotification::missionControl, effect("overview")},
        {dockNotification::appExpose, effect("windowview")}}) {
    for (const bool shown : {true, false}) {
      EXPECT_TRUE(desktop.dockNotification(notification)) << notification;
      EXPECT_TRUE(eventually([&] { return showing() == shown; }))
          << notification << (shown ? " did not show" : " did not go away");
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
  testing::expectContains(
      doctor.output,
      {"    Overview: not available: KWin's \"overview\" effect is not loaded",
       "    ExposeClass: not available: KWin's \"windowview\" effect is not loaded",
       "    Show Desktop: available\n", "    Switch One Desktop to the Left: available\n",
       "    Switch One Desktop to the Right: available\n", "    Window Close: available\n"});
}

TEST(KdeX11, RecordedGesturesActOnTheDesktop) {
  ASSERT_KDE_SESSION();
  expectRecordedGesturesActOnTheDesktop();
}

// The session bus the desktop services are called through, against the KDE session's real
// kglobalaccel and, on a bus of its own, a connection that owns names and never answers: a hung
// service, which no real one can be made to be.

constexpr SessionBus::Method unowned{"com.vellumworks.Tactora.Test", "/", "org.example.Test",
                                     "Hello"};
constexpr SessionBus::Method unknownMethod{KGlobalAccel::service, KGlobalAccel::kwinComponent,
                                           "org.kde.kglobalaccel.Component", "NoSuchMethod"};

std::chrono::steady_clock::duration timed(const std::function<void()>& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::steady_clock::now() - start;
}

// KGlobalAccel gives up on a service that timed out or a missing bus, and asks again after any
// other failure: the three must stay apart.
TEST(SessionBus, TellsARefusalFromAMissingBus) {
  SessionBus bus;
  // Nobody owns the name, or the service has no such method: the bus says so at once.
  for (const auto& method : {unknownMethod, unowned}) {
    const int refused = bus.call(method, 2s, nullptr, nullptr);
    EXPECT_LT(refused, 0) << method.member;
    EXPECT_NE(refused, -ETIMEDOUT) << method.member;
  }

  const std::string saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tactora-test-bus", 1);
  SessionBus nowhere;
  EXPECT_EQ(nowhere.call(unowned, 1s, nullptr, nullptr), -ENOTCONN);
  EXPECT_FALSE(nowhere.hasOwner(KGlobalAccel::service, 1s));
  EXPECT_FALSE(KGlobalAccel(std::make_shared<SessionBus>()).invokeShortcut("Overview"));
  ::setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
}

TEST(SessionBus, AHungServiceCostsEachCallerOneTimeout) {
  std::string error;
  auto other = testing::DesktopSession::create({}, &error);
  ASSERT_TRUE(other) << error;
  other->enter();  // until it is dropped
  auto hung = BusConnection::connect();
  ASSERT_TRUE(hung);
  for (const char* name : {unowned.destination, KGlobalAccel::service}) {
    ASSERT_GE(sd_bus_request_name(hung->get(), name, 0), 0);
  }

  SessionBus bus;
  int result = 0;
  auto elapsed = timed([&] { result = bus.call(unowned, 100ms, nullptr, nullptr); });
  EXPECT_EQ(result, -ETIMEDOUT);
  EXPECT_GE(elapsed, 100ms);
  EXPECT_LT(elapsed, 1s);
  elapsed = timed([&] { result = bus.call(unowned, 0ms, nullptr, nullptr); });
  EXPECT_EQ(result, -ETIMEDOUT);
  EXPECT_LT(elapsed, 1s) << "a timeout of zero is not the bus library's default of 25 s";

  KGlobalAccel kglobalaccel(std::make_shared<SessionBus>(), 150ms);
  ASSERT_TRUE(kglobalaccel.isAvailable());
  elapsed = timed([&] { EXPECT_FALSE(kglobalaccel.invokeShortcut("Overview")); });
  EXPECT_GE(elapsed, 150ms);
  EXPECT_LT(elapsed, 290ms) << "one timeout, not one per call";
}

// The KWin script on Plasma 6's scripting API (windows, not clients; the class as a string), which
// no KWin here provides: Node.js runs it against a stand-in `workspace` and a `callDBus` that
// records what the script sends. Plasma 5's API is covered by the real KWin.

constexpr const char* harness = R"js(
const script = require("fs").readFileSync(process.argv[2], "utf8");
const handlers = [];
const calls = [];
const workspace = {windowActivated: {connect(f) { handlers.push(f); }},
                   activeWindow: {desktopFileName: "org.kde.dolphin", resourceName: "dolphin",
                                  resourceClass: "dolphin"}};
new Function("workspace", "callDBus", script)(workspace, (...args) => calls.push(args.slice(4)));
handlers.forEach((h) => h({desktopFileName: "", resourceName: "navigator", resourceClass: "firefox"}));
handlers.forEach((h) => h(null));
console.log(JSON.stringify(calls));
)js";

TEST(KWinScript, ReportsTheActiveWindowAndEveryActivationOnPlasma6) {
  if (std::system("command -v node > /dev/null") != 0) {
    GTEST_SKIP() << "Node.js is not installed";
  }
  TemporaryDirectory folder;
  platform::AtomicFile::write(folder.path() / "script.js", KWinFrontApplication::script(":1.42"));
  platform::AtomicFile::write(folder.path() / "harness.js", harness);
  const std::string output = testing::runProcess({"node", (folder.path() / "harness.js").string(),
                                                  (folder.path() / "script.js").string()},
                                                 {})
                                 .output;
  EXPECT_EQ(nlohmann::json::parse(output, nullptr, false),
            nlohmann::json::parse(R"([["org.kde.dolphin", "dolphin", "dolphin"],
                                      ["", "navigator", "firefox"], ["", "", ""]])"))
      << output;
}

}  // namespace
}  // namespace tactora::lx::test
