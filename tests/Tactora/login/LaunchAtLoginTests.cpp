// Launch at login on the simulated login items: a request the service already fulfils does
// nothing; a refused one falls back to (or removes) the per-user agent, for this program, and says
// why. The agent's own file format is the platform's.
#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/login/LaunchAtLogin.h"
#include "support/CapturingLogSink.h"
#include "support/SourceTree.h"

namespace tactora {
namespace {

namespace fs = std::filesystem;
using platform::LoginItemStatus;
using Lines = std::vector<std::string>;

TEST(LaunchAtLogin, FallsBackToTheAgentOnlyWhenTheServiceRefuses) {
  auto log = std::make_shared<platform::CapturingLogSink>();
  const auto previous = platform::Log::setSink(log);
  // Whether the agent an earlier fallback left is there afterwards; a refusal is logged with its
  // cause, and the agent then written starts this program.
  struct Case {
    LoginItemStatus status;
    bool request;
    std::optional<std::string> registerError, unregisterError;
    bool agentAfter;
  };
  const Case cases[] = {
      {LoginItemStatus::enabled, true, {}, {}, true},
      {LoginItemStatus::notRegistered, false, {}, {}, true},
      {LoginItemStatus::notRegistered, true, "Operation not permitted", {}, true},
      {LoginItemStatus::enabled, false, {}, "busy", false},
  };
  for (const Case& c : cases) {
    sim::SimPlatform platform;
    auto bundle = platform.workspace().mainBundle();
    bundle.executablePath = "/opt/tools/tactora";
    platform.workspace().setMainBundle(bundle);
    sim::SimLoginItems& items = platform.loginItems();
    const fs::path agent = items.agentFilePath();
    fs::create_directories(agent.parent_path());
    std::ofstream(agent) << "left by an earlier fallback";
    items.setStatus(c.status);
    items.setRegisterError(c.registerError);
    items.setUnregisterError(c.unregisterError);
    log->clear();
    LaunchAtLogin login(platform);
    login.setLaunchAtLogin(c.request);

    const auto refusal = c.request ? c.registerError : c.unregisterError;
    SCOPED_TRACE(refusal.value_or("accepted"));
    EXPECT_EQ(fs::exists(agent), c.agentAfter);
    EXPECT_EQ(testing::readFile(agent).find("/opt/tools/tactora") != std::string::npos,
              c.request && refusal);
    // A request the service already fulfils asks nothing of it; the agent does not count as on.
    EXPECT_EQ(items.calls().empty(), !refusal);
    EXPECT_EQ(login.launchAtLoginEnabled(), c.status == LoginItemStatus::enabled);
    const std::string refused = "autostart entry failed (" + refusal.value_or("") +
                                "), falling back to the systemd user unit";
    EXPECT_EQ(log->messages(), refusal ? Lines{refused} : Lines{});
  }
  platform::Log::setSink(previous);
}

}  // namespace
}  // namespace tactora
