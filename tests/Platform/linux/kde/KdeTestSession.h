#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/kde/KWinFrontApplication.h"
#include "tests/support/desktop/KWinSession.h"
#include "tests/support/desktop/TactoraProgram.h"

namespace tactora::lx::test {

// The KDE session every case of a test executable runs against, started once (a gtest
// environment) and entered by the test process: KWin of one kind, the tactora program, and two
// applications installed in the session, "org.example.Probe" (StartupWMClass names the WM_CLASS
// instance of its windows, "probe-instance") and "org.example.Other" (the class, "OtherClass").
class KdeTestSession : public ::testing::Environment {
 public:
  explicit KdeTestSession(testing::KWinSession::Kind kind) : kind_(kind) {}
  static KdeTestSession& get();

  void SetUp() override;
  void TearDown() override;

  testing::DesktopSession& session() { return *session_; }
  testing::KWinSession& kwin() { return *kwin_; }
  testing::TactoraProgram& program() { return *program_; }
  std::shared_ptr<const ApplicationIndex> applications() const { return applications_; }
  // The focused application as a process of the session follows it (the running application).
  std::unique_ptr<KWinFrontApplication> followFocus() const;
  // Opens, once for every case, the X window titled "probe" (WM_CLASS instance
  // "probe-instance"), "other" (class "OtherClass") or "victim" (class "VictimTerm").
  bool openWindow(const std::string& title);

 private:
  testing::KWinSession::Kind kind_;
  std::unique_ptr<testing::DesktopSession> session_;
  std::unique_ptr<testing::KWinSession> kwin_;
  std::unique_ptr<testing::TactoraProgram> program_;
  std::shared_ptr<const ApplicationIndex> applications_;
  std::set<std::string> opened_;
};

// `tactora --play` on this KDE session, end to end: a three-finger tap runs the shell command of
// the focused Probe window's own profile, a two-finger swipe to the right moves one desktop to
// the right, and a three-finger tap on another window (the default binding) closes exactly that
// one; each checked on the desktop itself, and each run ends with status 0 on SIGTERM.
void expectRecordedGesturesActOnTheDesktop();

// Stops the current test unless the session started.
#define ASSERT_KDE_SESSION() \
  ASSERT_TRUE(::tactora::lx::test::KdeTestSession::get().applications()) << "KWin did not start"

}  // namespace tactora::lx::test
