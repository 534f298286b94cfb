#include "tests/Platform/linux/kde/KdeTestSession.h"

#include <filesystem>
#include <functional>
#include <map>

#include "tests/support/desktop/PlayScenario.h"

namespace tactora::lx::test {

namespace {

KdeTestSession* current = nullptr;

}  // namespace

KdeTestSession& KdeTestSession::get() {
  return *current;
}

void KdeTestSession::SetUp() {
  current = this;
  std::string error;
  session_ = testing::DesktopSession::create({}, &error);
  ASSERT_TRUE(session_) << error;
  session_->installApplication("org.example.Probe", "Probe", "StartupWMClass=probe-instance\n");
  session_->installApplication("org.example.Other", "Other", "StartupWMClass=OtherClass\n");
  kwin_ = testing::KWinSession::start(*session_, kind_);
  program_ = testing::TactoraProgram::install(*session_);
  ASSERT_TRUE(kwin_ && program_);
  session_->enter();
  applications_ =
      std::make_shared<ApplicationIndex>(ApplicationIndex::scan({session_->dataHome().string()}));
}

void KdeTestSession::TearDown() {
  program_.reset();
  kwin_.reset();
  session_.reset();
}

std::unique_ptr<KWinFrontApplication> KdeTestSession::followFocus() const {
  return std::make_unique<KWinFrontApplication>(applications_, session_->folder().string(),
                                                std::chrono::seconds(2));
}

bool KdeTestSession::openWindow(const std::string& title) {
  static const std::map<std::string, std::pair<std::string, std::string>> classes{
      {"probe", {"probe-instance", "Unrelated"}},
      {"other", {"other", "OtherClass"}},
      {"victim", {"victim", "VictimTerm"}}};
  const auto& [instance, windowClass] = classes.at(title);
  return !opened_.insert(title).second || kwin_->openXWindow(title, instance, windowClass);
}

void expectRecordedGesturesActOnTheDesktop() {
  auto& kde = KdeTestSession::get();
  auto& kwin = kde.kwin();
  auto& session = kde.session();
  ASSERT_TRUE(kde.openWindow("probe") && kde.openWindow("victim"));
  session.run({"wmctrl", "-s", "0"});
  ASSERT_TRUE(testing::eventually([&] { return kwin.currentDesktop() == 0; }));

  testing::PlayScenario scenario(session, kde.program());
  scenario.writeConfiguration("org.example.Probe", R"({"tap": {"fingers": 3}})");
  struct Row {
    std::string recording;
    std::string focused;
    std::function<bool()> done;
  };
  const Row rows[] = {
      {"three-finger-tap", "probe", [&] { return std::filesystem::exists(scenario.marker()); }},
      // Activating a window would bring its desktop back.
      {"two-finger-swipe-right", "", [&] { return kwin.currentDesktop() == 1; }},
      {"three-finger-tap", "victim", [&] { return !kwin.hasWindow("victim"); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.recording + " on " + row.focused);
    EXPECT_TRUE(scenario.play(row.recording, row.done,
                              row.focused.empty() ? nullptr : scenario.focusXWindow(row.focused)))
        << scenario.log();
    EXPECT_EQ(scenario.quit(), 0) << scenario.log();
  }
  EXPECT_TRUE(kwin.hasWindow("probe"));
}

}  // namespace tactora::lx::test
