// `tactora --play` on X11 with openbox: the recorded gestures act on this desktop, through the
// profile of the focused application; the overlay is an override-redirect window that takes no
// focus; and the program refuses what it cannot play.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <tuple>

#include "tests/Tactora/play/PlayDesktop.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::testing {
namespace {

constexpr const char* probeId = "org.example.Probe";

class PlayX11 : public PlayDesktop {
 protected:
  // One X server, window manager and installed program for every case.
  static void SetUpTestSuite() {
    openSession(false);
    ASSERT_NE(XServer::start(*session_), nullptr);
    installProgram();
    scenario_->installApplication(probeId, "ProbeTerm");
    scenario_->writeConfiguration(probeId, R"({"tap": {"fingers": 3}})");
    ASSERT_TRUE(openWindow("probe", "ProbeTerm"));
    ASSERT_TRUE(openWindow("victim", "VictimTerm"));
  }
  static void TearDownTestSuite() { closeSession(); }
  // Whether `wmctrl -l` lists a window of this title (each line ends with the title).
  static bool hasWindow(const std::string& title) {
    return session_->run({"wmctrl", "-l"}).output.find(" " + title + "\n") != std::string::npos;
  }
  static bool openWindow(const std::string& title, const std::string& windowClass) {
    session_->start(title, {"xterm", "-class", windowClass, "-title", title});
    return eventually([&] { return hasWindow(title); });
  }
  static std::function<void()> focus(const std::string& title) {
    return [title] { session_->run({"wmctrl", "-F", "-a", title}); };
  }
  // Whether `wmctrl -d` marks this workspace as the current one ("1  * DG: ...").
  static bool isCurrentWorkspace(int number) {
    const std::string listed = "\n" + session_->run({"wmctrl", "-d"}).output;
    return listed.find("\n" + std::to_string(number) + "  * ") != std::string::npos;
  }
};

// Each recording acts on this desktop: the focused application's own binding runs its command, a
// swipe switches the workspace, and a three-finger tap (the default binding) closes exactly the
// focused window. Every run ends with status 0 on SIGTERM.
TEST_F(PlayX11, RecordedGesturesActOnThisDesktop) {
  // The recording, the window kept focused (none when it does not matter), and when it is done.
  const std::tuple<std::string, std::string, std::function<bool()>> rows[] = {
      {"three-finger-tap", "probe", [] { return std::filesystem::exists(scenario_->marker()); }},
      {"two-finger-swipe-right", "", [] { return isCurrentWorkspace(1); }},
      {"three-finger-tap", "victim", [] { return !hasWindow("victim"); }},
  };
  ASSERT_TRUE(isCurrentWorkspace(0));
  for (const auto& [recording, focused, done] : rows) {
    SCOPED_TRACE(recording + " on " + focused);
    EXPECT_TRUE(scenario_->play(recording, done, focused.empty() ? nullptr : focus(focused)))
        << scenario_->log();
    EXPECT_EQ(scenario_->quit(), 0) << scenario_->log();
  }
  EXPECT_TRUE(hasWindow("probe"));
}

// What cannot be played is said in one line before anything starts; a second instance refuses
// to run beside the first (both would act on every gesture) and leaves it running.
TEST_F(PlayX11, RefusesWhatItCannotPlay) {
  const std::string missing = (session_->folder() / "missing.evemu").string();
  const std::string malformed = session_->write("malformed.evemu", "N: mouse\nE: soon\n").string();
  const std::string good = scenario_->recording("one-finger-tap").string();
  // The recording, whether another instance runs, the exit status and the output after "tactora: ".
  const std::tuple<std::string, bool, int, std::string> rows[] = {
      {missing, false, 2, missing + ": cannot open: No such file or directory"},
      {malformed, false, 2, malformed + ":2: "},
      {good, true, 1, "Tactora is already running in this session"},
  };
  for (const auto& [recording, besideAnother, status, output] : rows) {
    SCOPED_TRACE(output);
    if (besideAnother) {
      ASSERT_TRUE(scenario_->play("one-finger-tap", [] {
        return scenario_->log().find("in the mouse's place") != std::string::npos;
      }));
    }
    const ProcessResult result = program_->run({"--play", recording});
    EXPECT_EQ(result.status, status);
    EXPECT_TRUE(result.output.starts_with("tactora: " + output)) << result.output;
    EXPECT_EQ(std::ranges::count(result.output, '\n'), 1) << result.output;
    if (besideAnother) {
      EXPECT_TRUE(scenario_->running()->isRunning());
      EXPECT_EQ(scenario_->quit(), 0);
    }
  }
}

// The overlay is the window titled "Tactora gesture", seen with xwininfo; the focus and the
// managed windows are the root window's _NET_ACTIVE_WINDOW and _NET_CLIENT_LIST.
TEST_F(PlayX11, OverlayIsAnOverrideRedirectPanelThatTakesNoFocusAndIsNotListed) {
  DesktopView view;
  view.focusProbe = focus("probe");
  view.overlay = []() -> std::optional<QRect> {
    const std::string info = session_->run({"xwininfo", "-name", "Tactora gesture"}).output;
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
  view.state = [] {
    return session_->run({"xprop", "-root", "_NET_ACTIVE_WINDOW", "_NET_CLIENT_LIST"}).output;
  };
  expectOverlayLeavesTheDesktopAlone(*scenario_, view);
}

}  // namespace
}  // namespace tactora::testing
