// `tactora --play` on sway: the recorded gestures act through the profile of the focused window,
// a Wayland one (foot) or an X one through Xwayland (xterm), and on sway itself; the overlay is a
// layer-shell surface that takes no focus.

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "tests/Tactora/play/PlayDesktop.h"
#include "tests/support/desktop/SwaySession.h"

namespace tactora::testing {
namespace {

class PlaySway : public PlayDesktop {
 protected:
  // One sway and installed program for every case.
  static void SetUpTestSuite() {
    openSession(true);
    sway_ = SwaySession::start(*session_).release();
    ASSERT_NE(sway_, nullptr);
    // As sway's own children have them; Tactora's windows stay off the desktop, so the focus
    // stays on the windows the gestures are meant for.
    session_->set("DISPLAY", sway_->xDisplay());
    session_->set("QT_QPA_PLATFORM", "offscreen");
    installProgram();
  }
  static void TearDownTestSuite() {
    delete sway_;
    closeSession();
  }
  static std::function<void()> focus(const std::string& criteria) {
    return [criteria] { sway_->command(criteria + " focus"); };
  }

  static inline SwaySession* sway_ = nullptr;
};

// Each recording acts through sway: the three-finger tap runs the focused application's own
// binding (its profile chosen for a Wayland window and for an X one through Xwayland, and the
// window left open), a swipe switches sway's workspace, and the tap's default binding closes
// exactly the focused window. Every run ends with status 0 on SIGTERM.
TEST_F(PlaySway, RecordedGesturesActThroughSway) {
  const auto profiled = [](const std::string& id, const std::string& windowClass, bool wayland) {
    scenario_->installApplication(id, windowClass);
    scenario_->writeConfiguration(id, R"({"tap": {"fingers": 3}})");
    return wayland ? sway_->openWaylandWindow(id, windowClass)
                   : sway_->openX11Window(id, windowClass);
  };
  const auto ranItsCommand = [](const std::string& windowClass) {
    return [windowClass] {
      return std::filesystem::exists(scenario_->marker()) && sway_->hasWindow(windowClass);
    };
  };
  int windows = 0;
  // The recording, what sets it up, sway's criteria for the window kept focused (none when it does
  // not matter), and when it is done.
  const std::tuple<std::string, std::function<bool()>, std::string, std::function<bool()>> rows[] =
      {
          {"three-finger-tap",
           [&] { return profiled("org.example.Probe", "org.example.Probe", true); },
           "[app_id=org.example.Probe]", ranItsCommand("org.example.Probe")},
          {"three-finger-tap", [&] { return profiled("org.example.ProbeX", "ProbeTerm", false); },
           "[class=ProbeTerm]", ranItsCommand("ProbeTerm")},
          {"two-finger-swipe-right",
           [] {
             return sway_->command("workspace 2") &&
                    sway_->openWaylandWindow("foot-on-2", "org.example.OnTwo") &&
                    sway_->command("workspace 1");
           },
           "", [] { return sway_->currentWorkspace() == "2"; }},
          {"three-finger-tap",
           [&] {
             const bool opened = sway_->openWaylandWindow("foot-kept", "org.example.Kept") &&
                                 sway_->openWaylandWindow("foot-victim", "org.example.Victim");
             windows = sway_->windowCount();
             return opened;
           },
           "[app_id=org.example.Victim]",
           [&] {
             return !sway_->hasWindow("org.example.Victim") &&
                    sway_->hasWindow("org.example.Kept") && sway_->windowCount() == windows - 1;
           }},
      };
  for (const auto& [recording, setUp, focused, done] : rows) {
    SCOPED_TRACE(recording + " on " + focused);
    ASSERT_TRUE(setUp());
    std::filesystem::remove(scenario_->marker());
    EXPECT_TRUE(scenario_->play(recording, done, focused.empty() ? nullptr : focus(focused)))
        << scenario_->log();
    EXPECT_EQ(scenario_->quit(), 0) << scenario_->log();
  }
}

// The overlay is a layer-shell surface: what a screenshot shows beyond the one taken before; the
// focus and the windows are sway's tree.
TEST_F(PlaySway, OverlayIsALayerShellPanelThatTakesNoFocusAndNoPlaceInTheTree) {
  const auto screenshot = [] {
    const auto file = session_->home() / "screenshot.png";
    const ProcessResult grim = session_->run({"grim", file.string()});
    return grim.status == 0 ? QImage(QString::fromStdString(file.string())) : QImage();
  };
  // The probe focused and drawn: two screenshots in a row alike.
  ASSERT_TRUE(sway_->command("[app_id=org.example.Probe] focus"));
  QImage desktop;
  ASSERT_TRUE(eventually([&] {
    const QImage now = screenshot();
    const bool settled = !now.isNull() && now == desktop;
    desktop = now;
    return settled;
  }));
  QImage shown;
  DesktopView view;
  view.focusProbe = focus("[app_id=org.example.Probe]");
  // Where the screen differs from the desktop: the bounding box of the changed pixels.
  view.overlay = [&]() -> std::optional<QRect> {
    const QImage now = screenshot();
    if (now.size() != desktop.size()) {
      return std::nullopt;
    }
    QRect changed;
    for (int y = 0; y < now.height(); ++y) {
      for (int x = 0; x < now.width(); ++x) {
        changed |= desktop.pixel(x, y) != now.pixel(x, y) ? QRect(x, y, 1, 1) : QRect();
      }
    }
    shown = shown.isNull() && !changed.isEmpty() ? now : shown;
    return changed.isEmpty() ? std::nullopt : std::optional(changed);
  };
  view.state = [] {
    const auto focused = sway_->focused();
    return (focused ? focused->value("app_id", std::string("?")) : std::string("none")) + " of " +
           std::to_string(sway_->windowCount());
  };
  expectOverlayLeavesTheDesktopAlone(*scenario_, view);
  // The picture for the README, when pictures are being refreshed.
  if (!qEnvironmentVariableIsEmpty("TACTORA_SCREENSHOT_DIR") && !shown.isNull()) {
    EXPECT_TRUE(shown.save(qEnvironmentVariable("TACTORA_SCREENSHOT_DIR") + "/overlay-sway.png"));
  }
}

}  // namespace
}  // namespace tactora::testing
