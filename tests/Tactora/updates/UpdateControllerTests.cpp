#include "Tactora/updates/UpdateController.h"

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "support/CapturingLogSink.h"

namespace tactora {
namespace {

using Line = platform::CapturingLogSink::Line;

TEST(UpdateFeedOverride, OnlyHttpsAddressesWithAHostAreUsed) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"https://example.org/appcast.xml", true},
      {"HTTPS://example.org/appcast.xml", true},
      {"HtTpS://example.org:8443/feed", true},
      {"http://example.org/appcast.xml", false},
      {"https:///appcast.xml", false},
      {"https:appcast.xml", false},
      {"", false},
      {"https://exa mple.org/", false},
  };
  for (const auto& [text, valid] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(UpdateController::validFeedURL(text).has_value(), valid);
  }
  EXPECT_EQ(UpdateController::validFeedURL(std::nullopt), std::nullopt);
}

class UpdateControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = sim::SimPlatform::install();
    previousSink = platform::Log::setSink(log);
  }
  void TearDown() override { platform::Log::setSink(previousSink); }

  std::shared_ptr<sim::SimPlatform> sim;
  std::shared_ptr<platform::CapturingLogSink> log = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink;
};

TEST_F(UpdateControllerTest, AFailedStartIsLoggedAndTheUpdaterStaysReachable) {
  sim->updater().setStartError("no update feed address is configured");
  UpdateController controller(sim->updater(), sim->preferences());
  EXPECT_EQ(log->lines(), (std::vector<Line>{{"UpdateController", platform::LogLevel::error,
                                              "updater failed to start: no update feed address "
                                              "is configured"}}));
  controller.updater().checkForUpdates();
  EXPECT_EQ(sim->updater().userCheckCount(), 1);
}

}  // namespace
}  // namespace tactora
