#include "Tactora/updates/UpdateController.h"

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "support/CapturingLogSink.h"

namespace tactora {
namespace {

using Line = platform::CapturingLogSink::Line;

TEST(UpdateFeedOverride, OnlyHttpsAddressesWithAHostAreUsed) {
  for (const char* text : {"https://example.org/appcast.xml", "HtTpS://example.org:8443/feed"}) {
    EXPECT_TRUE(UpdateController::validFeedURL(text)) << text;
  }
  for (const char* text : {"http://example.org/appcast.xml", "https:///appcast.xml",
                           "https:appcast.xml", "", "https://exa mple.org/"}) {
    EXPECT_FALSE(UpdateController::validFeedURL(text)) << text;
  }
  EXPECT_EQ(UpdateController::validFeedURL(std::nullopt), std::nullopt);
}

TEST(UpdateController, AFailedStartIsLoggedAndTheUpdaterStaysReachable) {
  auto sim = sim::SimPlatform::install();
  auto log = std::make_shared<platform::CapturingLogSink>();
  const auto previousSink = platform::Log::setSink(log);
  sim->updater().setStartError("no update feed address is configured");
  UpdateController controller(sim->updater(), sim->preferences());
  platform::Log::setSink(previousSink);
  EXPECT_EQ(log->lines(), (std::vector<Line>{{"UpdateController", platform::LogLevel::error,
                                              "updater failed to start: no update feed address "
                                              "is configured"}}));
  controller.updater().checkForUpdates();
  EXPECT_EQ(sim->updater().userCheckCount(), 1);
}

}  // namespace
}  // namespace tactora
