// KDE Plasma on Wayland against the real kwin_wayland: only KWin's script can tell the focused
// application there, to the running application and to `tactora doctor` alike; and the gesture
// overlay is a layer-shell surface that takes no focus and stays out of the task bar, switcher and
// pager.

#include <gtest/gtest.h>

#include <QRect>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "tests/Platform/linux/kde/KdeTestSession.h"
#include "tests/support/desktop/PlayDesktop.h"

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

  testing::expectContains(kde.program().run({"doctor"}).output,
                          {"Focused application: from KWin script (org.kde.KWin); now "
                           "org.example.Probe (Probe)\n"});

  ASSERT_TRUE(kde.openWindow("other"));
  EXPECT_TRUE(eventually([&] { return running->frontApplication() == "org.example.Other"; }))
      << "the running application's script went with doctor's";
}

// The focused application comes from KWin's script here, for the Xwayland windows as well.
TEST(KdeWayland, RecordedGesturesActOnTheDesktop) {
  ASSERT_KDE_SESSION();
  expectRecordedGesturesActOnTheDesktop();
}

// A KWin script of the test reports every window KWin adds, removes or activates in KWin's log,
// with the window KWin lists as active and those it puts in the task bar.
constexpr const char* reportWindows = R"(
function report(event) {
  var listed = [];
  var overlay = null;
  var clients = workspace.clientList();
  for (var i = 0; i < clients.length; ++i) {
    var c = clients[i];
    if (String(c.resourceClass) === "tactora") {
      overlay = {x: c.x, y: c.y, width: c.width, height: c.height,
                 hidden: c.skipTaskbar && c.skipSwitcher && c.skipPager};
    } else if (!c.skipTaskbar) {
      listed.push(c.caption);
    }
  }
  var active = workspace.activeClient;
  print("tactora-test " + JSON.stringify({event: event, overlay: overlay,
      state: {active: active ? String(active.resourceClass) : null, listed: listed}}));
}
workspace.clientAdded.connect(function () { report("added"); });
workspace.clientRemoved.connect(function () { report("removed"); });
workspace.clientActivated.connect(function () { report("activated"); });
report("loaded");
)";

// The script's last report.
nlohmann::json lastReport() {
  const std::string log = KdeTestSession::get().session().log("kwin");
  const auto at = log.rfind("tactora-test ");
  const auto end = log.find('\n', at);
  // A line KWin is still writing is not a report yet.
  auto report = at == std::string::npos
                    ? nlohmann::json()
                    : nlohmann::json::parse(log.substr(at + 13, end - at - 13), nullptr, false);
  return report.is_object() ? report : nlohmann::json::object();
}

TEST(KdeWayland, OverlayIsALayerShellPanelThatTakesNoFocusAndStaysOutOfTheTaskBar) {
  ASSERT_KDE_SESSION();
  auto& kde = KdeTestSession::get();
  auto& session = kde.session();
  // Tactora's own windows stay off the desktop; the overlay speaks to KWin on its own connection.
  session.set("QT_QPA_PLATFORM", "offscreen");
  const auto script = session.write("report-windows.js", reportWindows);
  const auto loaded =
      session.busctl({"call", "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                      "ss", script.string(), "report"});
  ASSERT_TRUE(loaded && !loaded->empty());
  ASSERT_TRUE(session.busctl(
      {"call", "org.kde.KWin", "/" + loaded->at(0).dump(), "org.kde.kwin.Script", "run"}));
  ASSERT_TRUE(eventually([] { return lastReport().contains("state"); }));

  testing::DesktopView view;
  view.focusProbe = [] { return true; };
  view.overlay = []() -> std::optional<QRect> {
    const nlohmann::json overlay = lastReport().value("overlay", nlohmann::json());
    if (!overlay.is_object()) {
      return std::nullopt;
    }
    EXPECT_TRUE(overlay.value("hidden", false)) << "in the task bar, switcher or pager";
    return QRect(overlay.value("x", 0), overlay.value("y", 0), overlay.value("width", 0),
                 overlay.value("height", 0));
  };
  view.state = [] { return lastReport().value("state", nlohmann::json()).dump(); };
  testing::PlayScenario scenario(session, kde.program());
  testing::expectOverlayLeavesTheDesktopAlone(scenario, view);
}

}  // namespace
}  // namespace tactora::lx::test
