// `tactora --play` on kwin_wayland: the overlay is a layer-shell surface that takes no focus and
// stays out of the task bar, switcher and pager. A KWin script of the test reports every window
// KWin adds, removes or activates in KWin's log, with the window KWin lists as active and those it
// puts in the task bar.

#include <gtest/gtest.h>

#include <QRect>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <string>

#include "tests/Tactora/play/PlayDesktop.h"
#include "tests/support/desktop/KWinSession.h"

namespace tactora::testing {
namespace {

constexpr const char* probeId = "org.example.Probe";

class PlayKWinWayland : public PlayDesktop {
 protected:
  // One kwin_wayland and installed program for every case.
  static void SetUpTestSuite() {
    openSession(false);
    kwin_ = KWinSession::start(*session_, KWinSession::Kind::wayland).release();
    ASSERT_NE(kwin_, nullptr);
    // Tactora's own windows stay off the desktop; the overlay speaks to KWin on its own connection.
    session_->set("QT_QPA_PLATFORM", "offscreen");
    installProgram();
    const auto script = session_->write("report-windows.js", R"(
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
)");
    const ProcessResult loaded =
        session_->run({"busctl", "--user", "call", "org.kde.KWin", "/Scripting",
                       "org.kde.kwin.Scripting", "loadScript", "ss", script.string(), "report"});
    std::smatch id;
    ASSERT_TRUE(std::regex_search(loaded.output, id, std::regex(R"(i (\d+))"))) << loaded.output;
    ASSERT_EQ(session_
                  ->run({"busctl", "--user", "call", "org.kde.KWin", "/" + id[1].str(),
                         "org.kde.kwin.Script", "run"})
                  .status,
              0);
    ASSERT_TRUE(kwin_->openWaylandWindow("probe", probeId));
    ASSERT_TRUE(eventually([] {
      return lastReport().value("state", nlohmann::json()).dump().find(probeId) !=
             std::string::npos;
    }));
  }
  static void TearDownTestSuite() {
    delete kwin_;
    closeSession();
  }

  // The script's last report.
  static nlohmann::json lastReport() {
    const std::string log = session_->log("kwin");
    const auto at = log.rfind("tactora-test ");
    if (at == std::string::npos) {
      return nlohmann::json::object();
    }
    const auto end = log.find('\n', at);
    // A line KWin is still writing is not a report yet.
    auto report = nlohmann::json::parse(log.substr(at + 13, end - at - 13), nullptr, false);
    return report.is_object() ? report : nlohmann::json::object();
  }

  static inline KWinSession* kwin_ = nullptr;
};

TEST_F(PlayKWinWayland, OverlayIsALayerShellPanelThatTakesNoFocusAndStaysOutOfTheTaskBar) {
  DesktopView view;
  view.focusProbe = [] {};
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
  expectOverlayLeavesTheDesktopAlone(*scenario_, view);
}

}  // namespace
}  // namespace tactora::testing
