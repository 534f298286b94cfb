#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/login/LaunchAtLogin.h"
#include "support/CapturingLogSink.h"

namespace tactora {
namespace {

namespace fs = std::filesystem;
using platform::LoginItemStatus;
using Launch = sim::SimWorkspace::LaunchedProcess;

class LaunchAtLoginTest : public ::testing::Test {
 protected:
  void SetUp() override { previousSink_ = platform::Log::setSink(log_); }
  void TearDown() override { platform::Log::setSink(previousSink_); }

  sim::SimLoginItems& items() { return platform_.loginItems(); }
  fs::path agentFile() { return items().agentFilePath(); }
  std::vector<Launch> launches() { return platform_.workspace().launchedProcesses(); }
  std::string agentText() {
    std::stringstream text;
    text << std::ifstream(agentFile()).rdbuf();
    return text.str();
  }
  void placeAgentFile() {
    fs::create_directories(agentFile().parent_path());
    std::ofstream(agentFile()) << "left by an earlier fallback";
  }

  sim::SimPlatform platform_;
  std::shared_ptr<platform::CapturingLogSink> log_ = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink_;
};

TEST_F(LaunchAtLoginTest, RequestMatchingTheServiceStatusDoesNothingEvenWithAnAgentFile) {
  LaunchAtLogin login(platform_);
  items().setStatus(LoginItemStatus::enabled);
  login.setLaunchAtLogin(true);
  items().setStatus(LoginItemStatus::notRegistered);
  placeAgentFile();
  login.setLaunchAtLogin(false);
  EXPECT_FALSE(login.launchAtLoginEnabled());  // the agent file does not count as on

  EXPECT_TRUE(items().calls().empty());
  EXPECT_TRUE(launches().empty());
  EXPECT_TRUE(log_->lines().empty());
  EXPECT_EQ(agentText(), "left by an earlier fallback");
}

TEST_F(LaunchAtLoginTest, RegistrationFailureWritesTheAgentWithItsFourEntriesAndLoadsIt) {
  auto bundle = platform_.workspace().mainBundle();
  bundle.executablePath = "/opt/R&D <tools>/tactora";
  platform_.workspace().setMainBundle(bundle);
  items().setRegisterError("Operation not permitted");
  LaunchAtLogin(platform_).setLaunchAtLogin(true);

  EXPECT_EQ(agentText(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n<dict>\n"
            "\t<key>Label</key>\n\t<string>com.vellumworks.Tactora</string>\n"
            "\t<key>ProcessType</key>\n\t<string>Interactive</string>\n"
            "\t<key>ProgramArguments</key>\n"
            "\t<array>\n\t\t<string>/opt/R&amp;D &lt;tools&gt;/tactora</string>\n\t</array>\n"
            "\t<key>RunAtLoad</key>\n\t<true/>\n"
            "</dict>\n</plist>\n");
  EXPECT_EQ(launches(),
            (std::vector<Launch>{{"/bin/launchctl", {"load", "-w", agentFile().string()}}}));
  EXPECT_EQ(log_->lines(),
            (std::vector<platform::CapturingLogSink::Line>{
                {"LaunchAtLogin", platform::LogLevel::error,
                 "autostart entry failed (Operation not permitted), falling back to the systemd "
                 "user unit"}}));
}

TEST_F(LaunchAtLoginTest, UnregistrationFailureUnloadsAndDeletesTheAgent) {
  items().setStatus(LoginItemStatus::enabled);
  items().setUnregisterError("busy");
  placeAgentFile();
  LaunchAtLogin(platform_).setLaunchAtLogin(false);

  EXPECT_FALSE(fs::exists(agentFile()));
  EXPECT_EQ(launches(),
            (std::vector<Launch>{{"/bin/launchctl", {"unload", "-w", agentFile().string()}}}));
  EXPECT_EQ(log_->messages(), std::vector<std::string>{"autostart entry failed (busy), falling "
                                                       "back to the systemd user unit"});
}

}  // namespace
}  // namespace tactora
