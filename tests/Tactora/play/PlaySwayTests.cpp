// `tactora --play` on sway: the recorded gestures act through the profile of the focused window,
// a Wayland one (foot) or an X one through Xwayland (xterm), and on sway itself.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/PlayScenario.h"
#include "tests/support/desktop/SwaySession.h"
#include "tests/support/desktop/TactoraProgram.h"

namespace tactora::testing {
namespace {

class PlaySway : public ::testing::Test {
 protected:
  // One sway and installed program for every case.
  static void SetUpTestSuite() {
    std::string error;
    session_ = DesktopSession::create({.unprivileged = true}, &error).release();
    ASSERT_NE(session_, nullptr) << error;
    sway_ = SwaySession::start(*session_).release();
    ASSERT_NE(sway_, nullptr);
    // As sway's own children have them; Tactora's windows stay off the desktop, so the focus
    // stays on the windows the gestures are meant for.
    session_->set("DISPLAY", sway_->xDisplay());
    session_->set("QT_QPA_PLATFORM", "offscreen");
    program_ = TactoraProgram::install(*session_).release();
    ASSERT_NE(program_, nullptr);
    scenario_ = new PlayScenario(*session_, *program_);
  }
  static void TearDownTestSuite() {
    delete scenario_;
    delete program_;
    delete sway_;
    delete session_;
  }
  void TearDown() override {
    if (scenario_->running() != nullptr) {
      EXPECT_EQ(scenario_->quit(), 0) << "SIGTERM ends --play with status 0\n" << scenario_->log();
    }
  }

  static std::function<void()> focus(const std::string& criteria) {
    return [criteria] { sway_->command(criteria + " focus"); };
  }

  static DesktopSession* session_;
  static SwaySession* sway_;
  static TactoraProgram* program_;
  static PlayScenario* scenario_;
};

DesktopSession* PlaySway::session_ = nullptr;
SwaySession* PlaySway::sway_ = nullptr;
TactoraProgram* PlaySway::program_ = nullptr;
PlayScenario* PlaySway::scenario_ = nullptr;

// The three-finger tap closes a window by default; the profile of the focused application binds
// it to a command instead, so the marker (and the window still open) show the profile was chosen.
TEST_F(PlaySway, GestureRunsTheFocusedApplicationsOwnBinding) {
  struct Window {
    std::string desktopId, windowClass, criteria;
    bool wayland;
  };
  for (const Window& window :
       {Window{"org.example.Probe", "org.example.Probe", "[app_id=org.example.Probe]", true},
        Window{"org.example.ProbeX", "ProbeTerm", "[class=ProbeTerm]", false}}) {
    SCOPED_TRACE(window.desktopId);
    scenario_->installApplication(window.desktopId, window.windowClass);
    scenario_->writeConfiguration(window.desktopId, R"({"tap": {"fingers": 3}})");
    ASSERT_TRUE(window.wayland ? sway_->openWaylandWindow(window.desktopId, window.windowClass)
                               : sway_->openX11Window(window.desktopId, window.windowClass));
    std::filesystem::remove(scenario_->marker());
    EXPECT_TRUE(scenario_->play(
        "three-finger-tap", [] { return std::filesystem::exists(scenario_->marker()); },
        focus(window.criteria)))
        << scenario_->log();
    EXPECT_TRUE(sway_->hasWindow(window.windowClass)) << "closed instead of the profile's command";
    EXPECT_EQ(scenario_->quit(), 0) << scenario_->log();
  }
}

TEST_F(PlaySway, SwipeSwitchesSwaysWorkspace) {
  ASSERT_TRUE(sway_->command("workspace 2"));
  ASSERT_TRUE(sway_->openWaylandWindow("foot-on-2", "org.example.OnTwo"));
  ASSERT_TRUE(sway_->command("workspace 1"));
  EXPECT_TRUE(scenario_->play("two-finger-swipe-right", [] {
    return sway_->currentWorkspace() == "2";
  })) << scenario_->log();
}

TEST_F(PlaySway, ThreeFingerTapClosesExactlyTheFocusedWindow) {
  ASSERT_TRUE(sway_->openWaylandWindow("foot-kept", "org.example.Kept"));
  ASSERT_TRUE(sway_->openWaylandWindow("foot-victim", "org.example.Victim"));
  const int windows = sway_->windowCount();
  EXPECT_TRUE(scenario_->play(
      "three-finger-tap", [] { return !sway_->hasWindow("org.example.Victim"); },
      focus("[app_id=org.example.Victim]")))
      << scenario_->log();
  EXPECT_EQ(sway_->windowCount(), windows - 1);
  EXPECT_TRUE(sway_->hasWindow("org.example.Kept"));
}

}  // namespace
}  // namespace tactora::testing
