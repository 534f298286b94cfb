// The gesture overlay on real desktops, after a gesture played by `tactora --play`: it appears
// bottom-centre, 90 px above the bottom of the screen, and for as long as it is up the focus stays
// on the user's window and the window manager lists no new window. On X11 (openbox, KWin) the
// overlay is an override-redirect window; on sway and kwin_wayland a layer-shell surface.

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>

#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/KWinSession.h"
#include "tests/support/desktop/PlayScenario.h"
#include "tests/support/desktop/SwaySession.h"
#include "tests/support/desktop/TactoraProgram.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::testing {
namespace {

constexpr const char* probeId = "org.example.Probe";
// Every desktop here has one 1280 x 800 screen and no panel, so the work area is the screen.
const QRect screen(0, 0, 1280, 800);
constexpr int bottomDistance = 90;

// What a desktop shows: the probe window focused, where the overlay is (nothing while it is not
// up), and the focus and the window list as one comparable text.
struct DesktopView {
  std::function<void()> focusProbe;
  std::function<std::optional<QRect>()> overlay;
  std::function<std::string()> state;
};

// One desktop, its session and the installed program, started once for a suite of cases.
class OverlayDesktop : public ::testing::Test {
 protected:
  static void install(bool unprivileged) {
    std::string error;
    session_ = DesktopSession::create({.unprivileged = unprivileged}, &error).release();
    ASSERT_NE(session_, nullptr) << error;
  }
  static void installProgram() {
    program_ = TactoraProgram::install(*session_).release();
    ASSERT_NE(program_, nullptr);
    scenario_ = new PlayScenario(*session_, *program_);
  }
  static void tearDown() {
    delete scenario_;
    delete program_;
    delete session_;
    scenario_ = nullptr;
    program_ = nullptr;
    session_ = nullptr;
  }

  // Plays a spread (Zoom In, which posts nothing on this machine) with the probe focused
  // until the overlay has come and gone. The focus goes back to the probe only until the overlay
  // appears (Tactora's own windows take it at launch on X11); from then on, state() must stay as
  // it was just before.
  static void expectOverlayLeavesTheDesktopAlone(const DesktopView& view) {
    std::optional<QRect> seenAt;
    std::string before;
    std::string changed;
    const bool cameAndWent = scenario_->play(
        "spread",
        [&] {
          const std::string now = view.state();
          const std::optional<QRect> overlay = view.overlay();
          if (!seenAt && !overlay) {
            before = now;
            return false;
          }
          if (!seenAt) {
            seenAt = overlay;
          }
          if (now != before && changed.empty()) {
            changed = now;
          }
          return !overlay.has_value();
        },
        [&] {
          if (!seenAt) {
            view.focusProbe();
          }
        });
    ASSERT_TRUE(seenAt) << "no overlay appeared\n" << scenario_->log();
    EXPECT_TRUE(cameAndWent) << "the overlay did not go away\n" << scenario_->log();
    EXPECT_EQ(changed, "")
        << "the focus or the window list changed while the overlay was up, from\n"
        << before;
    // Bottom-centre: the centres agree within a pixel of rounding.
    EXPECT_LE(std::abs(seenAt->center().x() - screen.center().x()), 1) << seenAt->x();
    EXPECT_EQ(seenAt->bottom() + 1, screen.bottom() + 1 - bottomDistance);
    EXPECT_GT(seenAt->width(), 150);
    EXPECT_EQ(scenario_->quit(), 0) << scenario_->log();
  }

  static DesktopSession* session_;
  static TactoraProgram* program_;
  static PlayScenario* scenario_;
};

DesktopSession* OverlayDesktop::session_ = nullptr;
TactoraProgram* OverlayDesktop::program_ = nullptr;
PlayScenario* OverlayDesktop::scenario_ = nullptr;

// X11: the overlay is the window titled "Tactora gesture", seen with xwininfo; the focus and the
// managed windows are the root window's _NET_ACTIVE_WINDOW and _NET_CLIENT_LIST.
DesktopView x11View(DesktopSession& session) {
  DesktopView view;
  view.focusProbe = [&session] { session.run({"wmctrl", "-F", "-a", "probe"}); };
  view.overlay = [&session]() -> std::optional<QRect> {
    const std::string info = session.run({"xwininfo", "-name", "Tactora gesture"}).output;
    std::smatch match;
    const std::regex geometry(
        R"(Absolute upper-left X:\s+(-?\d+)[\s\S]*Absolute upper-left Y:\s+(-?\d+)[\s\S]*)"
        R"(Width:\s+(\d+)[\s\S]*Height:\s+(\d+)[\s\S]*Map State: IsViewable)");
    if (!std::regex_search(info, match, geometry)) {
      return std::nullopt;
    }
    return QRect(std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3]),
                 std::stoi(match[4]));
  };
  view.state = [&session] {
    return session.run({"xprop", "-root", "_NET_ACTIVE_WINDOW", "_NET_CLIENT_LIST"}).output;
  };
  return view;
}

class OverlayOnOpenbox : public OverlayDesktop {
 protected:
  static void SetUpTestSuite() {
    install(false);
    ASSERT_NE(XServer::start(*session_), nullptr);
    installProgram();
    session_->start("probe", {"xterm", "-class", "ProbeTerm", "-title", "probe"});
  }
  static void TearDownTestSuite() { tearDown(); }
};

TEST_F(OverlayOnOpenbox, OverrideRedirectPanelTakesNoFocusAndIsNotListed) {
  ASSERT_TRUE(eventually([] {
    return session_->run({"wmctrl", "-l"}).output.find(" probe\n") != std::string::npos;
  }));
  expectOverlayLeavesTheDesktopAlone(x11View(*session_));
}

class OverlayOnKWinX11 : public OverlayDesktop {
 protected:
  static void SetUpTestSuite() {
    install(false);
    kwin_ = KWinSession::start(*session_, KWinSession::Kind::x11).release();
    ASSERT_NE(kwin_, nullptr);
    installProgram();
    ASSERT_TRUE(kwin_->openXWindow("probe", "probe", "ProbeTerm"));
  }
  static void TearDownTestSuite() {
    delete kwin_;
    kwin_ = nullptr;
    tearDown();
  }
  static KWinSession* kwin_;
};

KWinSession* OverlayOnKWinX11::kwin_ = nullptr;

TEST_F(OverlayOnKWinX11, OverrideRedirectPanelTakesNoFocusAndIsNotListed) {
  expectOverlayLeavesTheDesktopAlone(x11View(*session_));
}

// sway: the overlay is what a screenshot shows beyond the one taken before Tactora started; the
// focus and the windows are sway's tree.
class OverlayOnSway : public OverlayDesktop {
 protected:
  static void SetUpTestSuite() {
    install(true);
    sway_ = SwaySession::start(*session_).release();
    ASSERT_NE(sway_, nullptr);
    // Tactora's own windows stay off the desktop (Qt has no Wayland plugin here); the overlay
    // speaks to sway on its own connection.
    session_->set("QT_QPA_PLATFORM", "offscreen");
    installProgram();
    ASSERT_TRUE(sway_->openWaylandWindow("probe", probeId));
  }
  static void TearDownTestSuite() {
    delete sway_;
    sway_ = nullptr;
    tearDown();
  }

  static QImage screenshot() {
    const auto file = session_->home() / "screenshot.png";
    const ProcessResult grim = session_->run({"grim", file.string()});
    return grim.status == 0 ? QImage(QString::fromStdString(file.string())) : QImage();
  }

  static SwaySession* sway_;
};

SwaySession* OverlayOnSway::sway_ = nullptr;

// Where `after` differs from `before`: the bounding box of the changed pixels.
std::optional<QRect> changedArea(const QImage& before, const QImage& after) {
  if (before.size() != after.size()) {
    return std::nullopt;
  }
  QRect changed;
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      if (before.pixel(x, y) != after.pixel(x, y)) {
        changed |= QRect(x, y, 1, 1);
      }
    }
  }
  return changed.isEmpty() ? std::nullopt : std::optional(changed);
}

TEST_F(OverlayOnSway, LayerShellPanelTakesNoFocusAndNoPlaceInTheTree) {
  // The desktop once foot has drawn its window: two screenshots in a row alike.
  QImage desktop;
  ASSERT_TRUE(eventually([&] {
    const QImage now = screenshot();
    const bool settled = !now.isNull() && now == desktop;
    desktop = now;
    return settled;
  }));
  QImage shown;
  DesktopView view;
  view.focusProbe = [] { sway_->command(std::string("[app_id=") + probeId + "] focus"); };
  view.overlay = [&]() -> std::optional<QRect> {
    const QImage now = screenshot();
    const std::optional<QRect> changed = changedArea(desktop, now);
    if (changed && shown.isNull()) {
      shown = now;
    }
    return changed;
  };
  view.state = [] {
    const auto focused = sway_->focused();
    return (focused ? focused->value("app_id", std::string("?")) : std::string("none")) + " of " +
           std::to_string(sway_->windowCount());
  };
  expectOverlayLeavesTheDesktopAlone(view);
  // The picture for the README, when pictures are being refreshed.
  if (!qEnvironmentVariableIsEmpty("TACTORA_SCREENSHOT_DIR") && !shown.isNull()) {
    EXPECT_TRUE(shown.save(qEnvironmentVariable("TACTORA_SCREENSHOT_DIR") + "/overlay-sway.png"));
  }
}

// kwin_wayland: a KWin script of the test reports every window KWin adds, removes or activates
// in KWin's log, with the window KWin lists as active and those it puts in the task bar.
class OverlayOnKWinWayland : public OverlayDesktop {
 protected:
  static void SetUpTestSuite() {
    install(false);
    kwin_ = KWinSession::start(*session_, KWinSession::Kind::wayland).release();
    ASSERT_NE(kwin_, nullptr);
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
    kwin_ = nullptr;
    tearDown();
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

  static KWinSession* kwin_;
};

KWinSession* OverlayOnKWinWayland::kwin_ = nullptr;

TEST_F(OverlayOnKWinWayland, LayerShellPanelTakesNoFocusAndStaysOutOfTheTaskBar) {
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
  expectOverlayLeavesTheDesktopAlone(view);
}

}  // namespace
}  // namespace tactora::testing
