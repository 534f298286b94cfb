// The playback provider's state on its own: a recording in the mouse's place, played in real time
// and once, through the live mouse's report processing.

#include "Platform/linux/input/PlaybackMultitouch.h"

#include <gtest/gtest.h>

#include <chrono>

#include "Platform/AtomicFile.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "support/ExampleRecording.h"
#include "tests/Platform/linux/EventPipe.h"
#include "tests/Platform/linux/ProviderClient.h"

namespace tactora::lx::test {
namespace {

using Lines = std::vector<std::string>;
using Retime = std::function<std::optional<std::int64_t>(std::int64_t)>;

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    ProviderClient::clearRecords();
    playback_.setReportFilter({ProviderClient::recordReport, nullptr, false});
  }
  void TearDown() override {
    for (MTDeviceList* list : lists_) {
      MTObjectRelease(&list->object);
    }
  }

  // Loads the example session `name` retimed.
  void load(const std::string& name, const Retime& retime) {
    platform::AtomicFile::write(folder_.path() / "recording.evemu",
                                tactora::testing::retimedExample(name, retime));
    EXPECT_EQ(playback_.load((folder_.path() / "recording.evemu").string()), std::nullopt);
  }
  // Lists the recorded device and starts it.
  MTDeviceRef start() {
    lists_.push_back(playback_.createList());
    MTDeviceRef device = lists_.back()->entries[0];
    PlaybackMultitouch::setCallback(device, ProviderClient::recordFrame, true);
    EXPECT_EQ(playback_.start(device), 0);
    return device;
  }

  TemporaryDirectory folder_;
  PlaybackMultitouch playback_;
  std::vector<MTDeviceList*> lists_;
};

// A stop does not wait for the next recorded event, a second and a half away.
TEST_F(Playback, StopsAtOnce) {
  load("one-finger-tap",
       [](std::int64_t micros) { return std::optional(micros > 0 ? micros + 1'500'000 : 0); });
  const MTDeviceRef device = start();
  ASSERT_EQ(ProviderClient::waitForFrames(1).size(), 1u);
  const auto stopping = std::chrono::steady_clock::now();
  playback_.stop(device);
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(1));
}

// Cut off with the button held and a finger down: the end releases the one and lifts the other,
// so no drag or held button outlives the recording.
TEST_F(Playback, ACutOffRecordingEndsWithTheButtonUpAndNoContact) {
  // Up to the report of BTN_LEFT's press.
  load("physical-click",
       [](std::int64_t micros) { return micros <= 44'310 ? std::optional(micros) : std::nullopt; });
  start();
  const std::vector<input_event> reported = ProviderClient::waitForForwarded(3);
  ASSERT_EQ(reported.size(), 3u);
  EXPECT_EQ(reportLines({&reported.back(), 1}), Lines{"unfinished: -BTN_LEFT"});
  const std::vector<Frame> frames = ProviderClient::waitForFrames(
      [](const std::vector<Frame>& so) { return !so.empty() && so.back().count == 0; });
  EXPECT_TRUE(!frames.empty() && frames.back().count == 0) << "a contact outlived the recording";
}

}  // namespace
}  // namespace tactora::lx::test
