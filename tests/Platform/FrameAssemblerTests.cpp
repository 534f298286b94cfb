#include "Platform/evdev/FrameAssembler.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <optional>
#include <string>
#include <vector>

#include "Tactora/input/ContactRecordReader.h"

namespace tactora::platform {
namespace {

using Contacts = std::vector<ContactRecordReader::RawContact>;

Contacts contactsOf(const FrameAssembler& assembler) {
  Contacts contacts;
  for (std::int32_t i = 0; i < assembler.recordCount(); ++i) {
    contacts.push_back(ContactRecordReader::readRecord(assembler.records(), std::size_t(i)));
  }
  return contacts;
}

// Scripted slot events on a generic (non-Apple) device: -500...500 across, 0...1000 along, 10
// units/mm.
class ScriptedFrameAssembler : public ::testing::Test {
 protected:
  FrameAssembler assembler_{EvdevTouchDevice{0x1234, 0x5678, {-500, 500, 10}, {0, 1000, 10}, 0}};
  double time_ = 5.0;

  void abs(std::uint16_t code, std::int32_t value) { ASSERT_FALSE(feed(EV_ABS, code, value)); }
  bool feed(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    return assembler_.handleEvent(time_, type, code, value);
  }
  void down(std::int32_t slot, std::int32_t id, std::int32_t x, std::int32_t y) {
    abs(ABS_MT_SLOT, slot);
    abs(ABS_MT_TRACKING_ID, id);
    abs(ABS_MT_POSITION_X, x);
    abs(ABS_MT_POSITION_Y, y);
    abs(ABS_MT_TOUCH_MAJOR, 400);
  }
  // Ends the report; the frame it yields, if any.
  std::optional<Contacts> report() {
    time_ += 0.01;
    return feed(EV_SYN, SYN_REPORT, 0) ? std::optional(contactsOf(assembler_)) : std::nullopt;
  }
};

TEST_F(ScriptedFrameAssembler, EveryReportWhileDownIsAFrameAndTheLastLiftAddsOneEmptyFrame) {
  EXPECT_EQ(assembler_.surfaceSizeMM().widthMM, 100.0f);
  EXPECT_FALSE(report()) << "nothing down, nothing to report";
  down(0, 1, 250, 100);
  down(3, 2, 900, 900);
  const auto two = report();
  ASSERT_TRUE(two && two->size() == 2);
  EXPECT_FLOAT_EQ((*two)[0].position.x, 0.75f);
  EXPECT_FLOAT_EQ((*two)[0].position.y, 0.9f) << "evdev y near the back edge";
  // Pointer motion and a button alone still yield a frame while fingers rest.
  ASSERT_FALSE(feed(EV_REL, REL_X, 5));
  ASSERT_FALSE(feed(EV_KEY, BTN_LEFT, 1));
  EXPECT_EQ(report()->size(), 2u);
  abs(ABS_MT_SLOT, 0);
  abs(ABS_MT_POSITION_Y, 200);
  EXPECT_LT(report()->at(0).velocity.y, 0.0f) << "evdev y grows towards the palm";
  // A dropped run is not trusted up to its report: the lift inside it is not applied.
  ASSERT_FALSE(feed(EV_SYN, SYN_DROPPED, 0));
  abs(ABS_MT_TRACKING_ID, -1);
  EXPECT_FALSE(report());

  abs(ABS_MT_SLOT, 0);
  abs(ABS_MT_TRACKING_ID, -1);
  EXPECT_EQ(report()->at(0).id, 2);
  abs(ABS_MT_SLOT, 3);
  abs(ABS_MT_TOUCH_MAJOR, 0);
  EXPECT_EQ(report()->at(0).state, MT_CONTACT_STATE_LIFTING);
  abs(ABS_MT_TRACKING_ID, -1);
  EXPECT_EQ(report()->size(), 0u);
  EXPECT_FALSE(report());
  // Every tracked slot at once still fits one frame.
  for (std::int32_t slot = 0; slot < FrameAssembler::maxSlots; ++slot) {
    down(slot, 100 + slot, 10 * slot, 10 * slot);
  }
  EXPECT_EQ(report()->size(), std::size_t(FrameAssembler::maxSlots));
}

}  // namespace
}  // namespace tactora::platform
