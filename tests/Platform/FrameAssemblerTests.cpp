#include "Platform/evdev/FrameAssembler.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Platform/evdev/EvemuReader.h"
#include "Tactora/input/ContactRecordReader.h"
#include "tests/support/SourceTree.h"

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

TEST(FrameAssembler, RealMagicMouseTouchBecomesTouchingFramesALiftAndAnEmptyFrame) {
  const auto read = EvemuReader::readFile(
      testing::sourceDir() + "/examples/sessions/real/apple-magic-mouse-1-one-touch.evemu");
  ASSERT_TRUE(read);
  const EvemuRecording::Axis* x = read->axis(ABS_MT_POSITION_X);
  const EvemuRecording::Axis* y = read->axis(ABS_MT_POSITION_Y);
  const auto assembler =
      std::make_unique<FrameAssembler>(EvdevTouchDevice{read->id->vendor,
                                                        read->id->product,
                                                        {x->minimum, x->maximum, x->resolution},
                                                        {y->minimum, y->maximum, y->resolution},
                                                        0});
  std::vector<std::pair<double, Contacts>> frames;
  for (const EvemuRecording::Event& event : read->events) {
    if (assembler->handleEvent(static_cast<double>(event.timeMicroseconds) / 1e6, event.type,
                               event.code, event.value)) {
      frames.emplace_back(assembler->frameTimeSeconds(), contactsOf(*assembler));
    }
  }
  ASSERT_TRUE(assembler);
  // The kernel's resolutions yield 90.7 x 51.9 mm; the surface is the other way round.
  EXPECT_NEAR(assembler->surfaceSizeMM().widthMM, 51.9, 0.05);
  EXPECT_NEAR(assembler->surfaceSizeMM().depthMM, 90.7, 0.05);

  // Contact 40 touching ("T"), lifting ("L": touch major 0 announces the lift one report before
  // the slot empties), then no contact ("-").
  std::string states;
  for (const auto& [time, contacts] : frames) {
    const auto state = contacts.size() == 1 && contacts[0].id == 40 ? contacts[0].state : -1;
    states += contacts.empty()                     ? "-"
              : state == MT_CONTACT_STATE_TOUCHING ? "T"
              : state == MT_CONTACT_STATE_LIFTING  ? "L"
                                                   : "?";
  }
  ASSERT_EQ(states, "TTTTTTTTTL-");
  EXPECT_DOUBLE_EQ(frames[10].first, 0.101291);

  // x = 879 in -1100...1258; y = -34 in -1589...2047, flipped so that y grows to the front.
  const auto first = frames[0].second[0];
  EXPECT_NEAR(first.position.x, (879.0 + 1100) / 2358, 1e-5);
  EXPECT_NEAR(first.position.y, 1 - (-34.0 + 1589) / 3636, 1e-5);
  EXPECT_EQ(first.velocity, (PointF{}));
  EXPECT_NEAR(first.size, 484.0 / 500, 1e-5);
  // The finger drifts towards the palm (evdev y grows): negative y velocity in our frame.
  EXPECT_LT(frames[1].second[0].velocity.y, 0.0f);
}

// Scripted slot events on a generic (non-Apple) device: 0...1000 on both axes, 10 units/mm.
class ScriptedFrameAssembler : public ::testing::Test {
 protected:
  FrameAssembler assembler_{EvdevTouchDevice{0x1234, 0x5678, {0, 1000, 10}, {0, 1000, 10}, 0}};
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
  EXPECT_FLOAT_EQ((*two)[0].position.x, 0.25f);
  EXPECT_FLOAT_EQ((*two)[0].position.y, 0.9f) << "evdev y near the back edge";
  // Pointer motion and a button alone still yield a frame while fingers rest.
  ASSERT_FALSE(feed(EV_REL, REL_X, 5));
  ASSERT_FALSE(feed(EV_KEY, BTN_LEFT, 1));
  EXPECT_EQ(report()->size(), 2u);
  // A dropped run is not trusted up to its report: the lift inside it is not applied.
  ASSERT_FALSE(feed(EV_SYN, SYN_DROPPED, 0));
  abs(ABS_MT_TRACKING_ID, -1);
  EXPECT_FALSE(report());
  // Slots beyond the tracked ones are ignored.
  abs(ABS_MT_SLOT, FrameAssembler::maxSlots);
  abs(ABS_MT_TRACKING_ID, 5);
  abs(ABS_MT_SLOT, -1);
  abs(ABS_MT_TRACKING_ID, 6);
  EXPECT_EQ(report()->size(), 2u);

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
