#include "Tactora/input/MTBridge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "InputTestSupport.h"

namespace tactora::testing {
namespace {

class MTBridgeTest : public SimInputTest {};

TEST_F(MTBridgeTest, MissingLibraryFailsWithTheLoadersReason) {
  MTBridgeSetProviderPath("/nonexistent/libNoSuchProvider.so");
  EXPECT_EQ(MTBridgeLoad(), -1);
  const std::string error = MTBridgeLastError();
  EXPECT_EQ(error.rfind("dlopen failed: ", 0), 0u) << error;
  EXPECT_NE(error.find("/nonexistent/libNoSuchProvider.so"), std::string::npos) << error;
}

TEST_F(MTBridgeTest, OverlongLoaderErrorIsCutAt255Characters) {
  const std::string path = "/nonexistent/" + std::string(600, 'x') + ".so";
  MTBridgeSetProviderPath(path.c_str());
  EXPECT_EQ(MTBridgeLoad(), -1);
  EXPECT_EQ(std::strlen(MTBridgeLastError()), 255u);
  EXPECT_EQ(std::string(MTBridgeLastError()).rfind("dlopen failed: /nonexistent/xxx", 0), 0u);
}

TEST_F(MTBridgeTest, LibraryWithoutTheSymbolsNamesTheFirstMissingOne) {
  MTBridgeSetProviderPath("libc.so.6");
  EXPECT_EQ(MTBridgeLoad(), -1);
  EXPECT_STREQ(MTBridgeLastError(), "missing symbol: MTDeviceCreateList");
}

TEST_F(MTBridgeTest, ProviderLoadsAgainAfterAFailureAndAfterASuccess) {
  MTBridgeSetProviderPath("/nonexistent/provider.so");
  ASSERT_EQ(MTBridgeLoad(), -1);
  MTBridgeSetProviderPath(sim::SimMultitouch::defaultPath().c_str());
  EXPECT_EQ(MTBridgeLoad(), 0);
  EXPECT_EQ(MTBridgeLoad(), 0);
}

TEST_F(MTBridgeTest, CopiedDevicesOutliveTheProvidersListAndEmptyEntriesStayEmpty) {
  ASSERT_EQ(MTBridgeLoad(), 0);
  mt().addDevice(true, 98, 10000, 7000);
  mt().addEmptyEntry();
  mt().addDevice(false, 112, 5150, 9050);

  std::int32_t count = -1;
  MTDeviceRef* devices = MTBridgeCopyDevices(&count);
  ASSERT_NE(devices, nullptr);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(devices[1], nullptr);

  mt().reset();  // the provider lets go of its devices; our references keep them alive
  EXPECT_TRUE(MTBridgeIsBuiltIn(devices[0]));
  EXPECT_FALSE(MTBridgeIsBuiltIn(devices[2]));
  EXPECT_EQ(MTBridgeFamilyID(devices[2]), 112);
  std::int32_t width = 0;
  std::int32_t height = 0;
  EXPECT_EQ(MTBridgeSurfaceDimensions(devices[2], &width, &height), 0);
  EXPECT_EQ(width, 5150);
  EXPECT_EQ(height, 9050);
  EXPECT_EQ(mt().liveObjects(), 2);

  MTBridgeReleaseDevices(devices, count);
  EXPECT_EQ(mt().liveObjects(), 0);
}

TEST_F(MTBridgeTest, NoListMeansNoDevices) {
  ASSERT_EQ(MTBridgeLoad(), 0);
  mt().setListAvailable(false);
  std::int32_t count = -1;
  EXPECT_EQ(MTBridgeCopyDevices(&count), nullptr);
  EXPECT_EQ(count, 0);

  // An empty list still hands out a (one-slot) array, which the caller releases.
  mt().setListAvailable(true);
  MTDeviceRef* devices = MTBridgeCopyDevices(&count);
  ASSERT_NE(devices, nullptr);
  EXPECT_EQ(count, 0);
  MTBridgeReleaseDevices(devices, count);
  MTBridgeReleaseDevices(nullptr, 5);
  EXPECT_EQ(mt().liveObjects(), 0);
}

}  // namespace
}  // namespace tactora::testing
