#include "Platform/FrameAssembler.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Tactora/input/ContactRecordReader.h"

namespace tactora::platform {
namespace {

struct Frame {
  double time;
  std::vector<ContactRecordReader::RawContact> contacts;
};

struct Recording {
  EvdevTouchDevice device;
  struct Event {
    double time;
    std::uint16_t type;
    std::uint16_t code;
    std::int32_t value;
  };
  std::vector<Event> events;
};

// Just enough of the evemu text format for a device's identity, axes and events.
Recording readEvemu(const std::string& path) {
  std::ifstream file(path);
  EXPECT_TRUE(file) << "cannot open " << path;
  Recording recording;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    if (kind == "I:") {
      std::string bus, vendor, product;
      in >> bus >> vendor >> product;
      recording.device.vendor = static_cast<std::uint16_t>(std::stoul(vendor, nullptr, 16));
      recording.device.product = static_cast<std::uint16_t>(std::stoul(product, nullptr, 16));
    } else if (kind == "A:") {
      std::string code;
      std::int32_t minimum, maximum, fuzz, flat, resolution;
      in >> code >> minimum >> maximum >> fuzz >> flat >> resolution;
      const EvdevAxis axis{minimum, maximum, resolution};
      if (std::stoul(code, nullptr, 16) == ABS_MT_POSITION_X) {
        recording.device.positionX = axis;
      } else if (std::stoul(code, nullptr, 16) == ABS_MT_POSITION_Y) {
        recording.device.positionY = axis;
      }
    } else if (kind == "E:") {
      std::string time, type, code;
      std::int32_t value;
      in >> time >> type >> code >> value;
      recording.events.push_back(
          {std::stod(time), static_cast<std::uint16_t>(std::stoul(type, nullptr, 16)),
           static_cast<std::uint16_t>(std::stoul(code, nullptr, 16)), value});
    }
  }
  return recording;
}

std::vector<Frame> assemble(FrameAssembler& assembler,
                            const std::vector<Recording::Event>& events) {
  std::vector<Frame> frames;
  for (const auto& e : events) {
    if (assembler.handleEvent(e.time, e.type, e.code, e.value)) {
      Frame frame{assembler.frameTimeSeconds(), {}};
      for (std::int32_t i = 0; i < assembler.recordCount(); ++i) {
        frame.contacts.push_back(
            ContactRecordReader::readRecord(assembler.records(), static_cast<std::size_t>(i)));
      }
      frames.push_back(frame);
    }
  }
  return frames;
}

std::string recordingPath() {
  const char* source = std::getenv("TACTORA_SOURCE_DIR");
  const std::string root = source != nullptr ? source : ".";
  return root + "/examples/sessions/real/apple-magic-mouse-1-one-touch.evemu";
}

TEST(FrameAssembler, RealMagicMouseTouchBecomesTouchingFramesALiftAndAnEmptyFrame) {
  const Recording recording = readEvemu(recordingPath());
  ASSERT_FALSE(recording.events.empty());
  FrameAssembler assembler(recording.device);

  // The kernel's resolutions yield 90.7 x 51.9 mm; the surface is the other way round.
  EXPECT_NEAR(assembler.surfaceSizeMM().widthMM, 51.9, 0.05);
  EXPECT_NEAR(assembler.surfaceSizeMM().depthMM, 90.7, 0.05);

  const auto frames = assemble(assembler, recording.events);
  ASSERT_EQ(frames.size(), 11u);
  for (std::size_t i = 0; i < 9; ++i) {
    ASSERT_EQ(frames[i].contacts.size(), 1u) << i;
    EXPECT_EQ(frames[i].contacts[0].id, 40);
    EXPECT_EQ(frames[i].contacts[0].state, MT_CONTACT_STATE_TOUCHING) << i;
  }
  // Touch major 0 announces the lift one report before the slot empties.
  ASSERT_EQ(frames[9].contacts.size(), 1u);
  EXPECT_EQ(frames[9].contacts[0].state, MT_CONTACT_STATE_LIFTING);
  EXPECT_TRUE(frames[10].contacts.empty());
  EXPECT_DOUBLE_EQ(frames[10].time, 0.101291);

  // x = 879 in -1100...1258 is towards the right; y = -34 in -1589...2047 is a little nearer the
  // front than the palm once flipped.
  const auto first = frames[0].contacts[0];
  EXPECT_NEAR(first.position.x, (879.0 + 1100) / 2358, 1e-5);
  EXPECT_NEAR(first.position.y, 1 - (-34.0 + 1589) / 3636, 1e-5);
  EXPECT_EQ(first.velocity, (PointF{}));
  EXPECT_NEAR(first.size, 484.0 / 500, 1e-5);
  // The finger drifts towards the palm (evdev y grows): negative y velocity in our frame.
  EXPECT_LT(frames[1].contacts[0].velocity.y, 0.0f);
}

// Scripted slot sequences on a generic (non-Apple) device: 0...1000 on both axes, 10 units/mm.
class ScriptedFrameAssembler : public ::testing::Test {
 protected:
  ScriptedFrameAssembler()
      : assembler_(EvdevTouchDevice{0x1234, 0x5678, {0, 1000, 10}, {0, 1000, 10}, 0}) {}

  void abs(std::uint16_t code, std::int32_t value) { ASSERT_FALSE(feed(EV_ABS, code, value)); }
  void down(std::int32_t slot, std::int32_t id, std::int32_t x, std::int32_t y) {
    abs(ABS_MT_SLOT, slot);
    abs(ABS_MT_TRACKING_ID, id);
    abs(ABS_MT_POSITION_X, x);
    abs(ABS_MT_POSITION_Y, y);
    abs(ABS_MT_TOUCH_MAJOR, 400);
  }
  bool feed(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    return assembler_.handleEvent(time_, type, code, value);
  }
  // Ends the report; the frame it yields, if any.
  std::optional<std::vector<ContactRecordReader::RawContact>> report() {
    time_ += 0.01;
    if (!feed(EV_SYN, SYN_REPORT, 0)) {
      return std::nullopt;
    }
    std::vector<ContactRecordReader::RawContact> contacts;
    for (std::int32_t i = 0; i < assembler_.recordCount(); ++i) {
      contacts.push_back(
          ContactRecordReader::readRecord(assembler_.records(), static_cast<std::size_t>(i)));
    }
    return contacts;
  }

  FrameAssembler assembler_;
  double time_ = 5.0;
};

TEST_F(ScriptedFrameAssembler, GenericDeviceKeepsItsAxesAndFlipsY) {
  EXPECT_FLOAT_EQ(assembler_.surfaceSizeMM().widthMM, 100.0f);
  EXPECT_FLOAT_EQ(assembler_.surfaceSizeMM().depthMM, 100.0f);
  down(0, 7, 250, 100);
  const auto frame = report();
  ASSERT_TRUE(frame && frame->size() == 1);
  EXPECT_FLOAT_EQ((*frame)[0].position.x, 0.25f);
  EXPECT_FLOAT_EQ((*frame)[0].position.y, 0.9f);  // evdev y near the back edge
}

TEST_F(ScriptedFrameAssembler, EveryReportWhileDownIsAFrameAndTheLastLiftAddsOneEmptyFrame) {
  EXPECT_FALSE(report()) << "nothing down, nothing to report";
  down(0, 1, 100, 100);
  down(3, 2, 900, 900);
  EXPECT_EQ(report()->size(), 2u);
  // Pointer motion and a button alone still yield a frame while fingers rest.
  ASSERT_FALSE(feed(EV_REL, REL_X, 5));
  ASSERT_FALSE(feed(EV_KEY, BTN_LEFT, 1));
  EXPECT_EQ(report()->size(), 2u);

  abs(ABS_MT_SLOT, 0);
  abs(ABS_MT_TRACKING_ID, -1);
  const auto one = report();
  ASSERT_EQ(one->size(), 1u);
  EXPECT_EQ((*one)[0].id, 2);

  abs(ABS_MT_SLOT, 3);
  abs(ABS_MT_TOUCH_MAJOR, 0);
  EXPECT_EQ((*report())[0].state, MT_CONTACT_STATE_LIFTING);
  abs(ABS_MT_TRACKING_ID, -1);
  EXPECT_EQ(report()->size(), 0u);
  EXPECT_FALSE(report());
  ASSERT_FALSE(feed(EV_REL, REL_X, 5));
  EXPECT_FALSE(report());
}

TEST_F(ScriptedFrameAssembler, DroppedEventsAreDiscardedUpToTheNextReport) {
  down(0, 1, 100, 100);
  report();
  ASSERT_FALSE(feed(EV_SYN, SYN_DROPPED, 0));
  abs(ABS_MT_TRACKING_ID, -1);
  EXPECT_FALSE(report()) << "the report that closes the dropped run yields nothing";
  const auto next = report();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->size(), 1u) << "the half-seen lift was not applied";
}

TEST_F(ScriptedFrameAssembler, SlotsOutsideTheTrackedRangeAreIgnored) {
  abs(ABS_MT_SLOT, FrameAssembler::kMaxSlots);
  abs(ABS_MT_TRACKING_ID, 5);
  abs(ABS_MT_SLOT, -1);
  abs(ABS_MT_TRACKING_ID, 6);
  EXPECT_FALSE(report());
  // Every tracked slot at once still fits one frame.
  for (std::int32_t slot = 0; slot < FrameAssembler::kMaxSlots; ++slot) {
    down(slot, 100 + slot, 10 * slot, 10 * slot);
  }
  EXPECT_EQ(report()->size(), static_cast<std::size_t>(FrameAssembler::kMaxSlots));
}

}  // namespace
}  // namespace tactora::platform
