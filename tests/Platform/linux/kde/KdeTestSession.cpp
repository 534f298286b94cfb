#include "tests/Platform/linux/kde/KdeTestSession.h"

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
  session_->write("home/.local/share/applications/org.example.Probe.desktop",
                  "[Desktop Entry]\nType=Application\nName=Probe\nExec=xterm\n"
                  "StartupWMClass=probe-instance\n");
  session_->write("home/.local/share/applications/org.example.Other.desktop",
                  "[Desktop Entry]\nType=Application\nName=Other\nExec=xterm\n"
                  "StartupWMClass=OtherClass\n");
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

}  // namespace tactora::lx::test
