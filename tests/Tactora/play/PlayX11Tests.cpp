// `tactora --play` on X11 with openbox: the recorded gestures act on this desktop, through the
// profile of the focused application, and the program refuses what it cannot play.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/PlayScenario.h"
#include "tests/support/desktop/TactoraProgram.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::testing {
namespace {

constexpr const char* probeId = "org.example.Probe";

class PlayX11 : public ::testing::Test {
 protected:
  // One X server, window manager and installed program for every case.
  static void SetUpTestSuite() {
    std::string error;
    session_ = DesktopSession::create({}, &error).release();
    ASSERT_NE(session_, nullptr) << error;
    ASSERT_NE(XServer::start(*session_), nullptr);
    program_ = TactoraProgram::install(*session_).release();
    ASSERT_NE(program_, nullptr);
    scenario_ = new PlayScenario(*session_, *program_);
    scenario_->installApplication(probeId, "ProbeTerm");
    scenario_->writeConfiguration(probeId, R"({"tap": {"fingers": 3}})");
    ASSERT_TRUE(openWindow("probe", "ProbeTerm"));
  }
  static void TearDownTestSuite() {
    delete scenario_;
    delete program_;
    delete session_;
  }
  void TearDown() override {
    if (scenario_->running() != nullptr) {
      EXPECT_EQ(scenario_->quit(), 0) << "SIGTERM ends --play with status 0\n" << scenario_->log();
    }
  }

  // The window titles `wmctrl -l` lists.
  static std::vector<std::string> windows() {
    std::istringstream lines(session_->run({"wmctrl", "-l"}).output);
    std::vector<std::string> titles;
    for (std::string line; std::getline(lines, line);) {
      // id, desktop, host, then the title
      std::istringstream fields(line);
      std::string skipped;
      fields >> skipped >> skipped >> skipped >> std::ws;
      std::getline(fields, titles.emplace_back());
    }
    return titles;
  }
  static bool hasWindow(const std::string& title) {
    return std::ranges::count(windows(), title) > 0;
  }
  static bool openWindow(const std::string& title, const std::string& windowClass) {
    session_->start(title, {"xterm", "-class", windowClass, "-title", title});
    return eventually([&] { return hasWindow(title); });
  }
  static std::function<void()> focus(const std::string& title) {
    return [title] { session_->run({"wmctrl", "-F", "-a", title}); };
  }
  // The number of the current workspace, as `wmctrl -d` marks it.
  static int currentWorkspace() {
    std::istringstream lines(session_->run({"wmctrl", "-d"}).output);
    for (std::string line; std::getline(lines, line);) {
      if (line.find(" * ") != std::string::npos) {
        return std::stoi(line);
      }
    }
    return -1;
  }

  static DesktopSession* session_;
  static TactoraProgram* program_;
  static PlayScenario* scenario_;
};

DesktopSession* PlayX11::session_ = nullptr;
TactoraProgram* PlayX11::program_ = nullptr;
PlayScenario* PlayX11::scenario_ = nullptr;

TEST_F(PlayX11, GestureRunsTheFocusedApplicationsOwnBinding) {
  std::filesystem::remove(scenario_->marker());
  EXPECT_TRUE(scenario_->play(
      "three-finger-tap", [] { return std::filesystem::exists(scenario_->marker()); },
      focus("probe")))
      << scenario_->log();
  EXPECT_TRUE(hasWindow("probe")) << "the profile's command ran instead of closing the window";
}

TEST_F(PlayX11, SwipeSwitchesTheDesktopsWorkspace) {
  session_->run({"wmctrl", "-s", "0"});
  ASSERT_TRUE(eventually([] { return currentWorkspace() == 0; }));
  EXPECT_TRUE(scenario_->play("two-finger-swipe-right", [] { return currentWorkspace() == 1; }))
      << scenario_->log();
}

TEST_F(PlayX11, ThreeFingerTapClosesExactlyTheFocusedWindow) {
  ASSERT_TRUE(openWindow("victim", "VictimTerm"));
  EXPECT_TRUE(scenario_->play(
      "three-finger-tap", [] { return !hasWindow("victim"); }, focus("victim")))
      << scenario_->log();
  EXPECT_TRUE(hasWindow("probe"));
}

// What cannot be played is said in one line before anything starts; a second instance refuses
// to run beside the first (both would act on every gesture) and leaves it running.
TEST_F(PlayX11, RefusesWhatItCannotPlay) {
  const std::string missing = (session_->folder() / "missing.evemu").string();
  const std::string malformed = session_->write("malformed.evemu", "N: mouse\nE: soon\n").string();
  const std::string good = scenario_->recording("one-finger-tap").string();
  struct Row {
    std::string recording;
    bool besideAnother;
    int status;
    std::string output;  // its first line, after "tactora: "
  };
  const Row rows[] = {
      {missing, false, 2, missing + ": cannot open: No such file or directory"},
      {malformed, false, 2, malformed + ":2: "},
      {good, true, 1, "Tactora is already running in this session"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.output);
    if (row.besideAnother) {
      ASSERT_TRUE(scenario_->play("one-finger-tap", [] {
        return scenario_->log().find("in the mouse's place") != std::string::npos;
      }));
    }
    const ProcessResult result = program_->run({"--play", row.recording});
    EXPECT_EQ(result.status, row.status);
    EXPECT_TRUE(result.output.starts_with("tactora: " + row.output)) << result.output;
    EXPECT_EQ(std::ranges::count(result.output, '\n'), 1) << result.output;
    if (row.besideAnother) {
      EXPECT_TRUE(scenario_->running()->isRunning());
    }
  }
}

}  // namespace
}  // namespace tactora::testing
