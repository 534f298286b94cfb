#include "Tactora/input/ContactRecordReader.h"

#include <gtest/gtest.h>

#include <vector>

#include "Platform/MultitouchProvider.h"

namespace tactora {
namespace {

struct Record {
  std::int32_t id;
  std::int32_t state;
  float x = 0.5f;
  float y = 0.5f;
};

// Reads one frame of records, encoded as a device would send them.
std::vector<Touch> frame(ContactRecordReader& reader, double now, std::vector<Record> records) {
  std::vector<unsigned char> bytes(records.size() * MT_CONTACT_RECORD_SIZE);
  for (std::size_t i = 0; i < records.size(); ++i) {
    MTWriteContactRecord(&bytes[i * MT_CONTACT_RECORD_SIZE], records[i].id, records[i].state,
                         records[i].x, records[i].y, 0.1f, -0.2f, 1.25f);
  }
  reader.read(static_cast<std::int32_t>(records.size()), bytes.data(), now);
  auto touches = reader.touches();
  return {touches.begin(), touches.end()};
}

std::vector<TouchPhase> phases(const std::vector<Touch>& touches) {
  std::vector<TouchPhase> result;
  for (const Touch& t : touches) {
    result.push_back(t.phase);
  }
  return result;
}

TEST(ContactRecordReader, OnlyStatesThreeAndFourAreTouching) {
  ContactRecordReader reader;
  const auto touches =
      frame(reader, 1.0, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 0}});
  ASSERT_EQ(touches.size(), 2u);
  EXPECT_EQ(touches[0].id, 3);
  EXPECT_EQ(touches[1].id, 4);
  EXPECT_EQ(reader.touchingCount(), 2);
}

TEST(ContactRecordReader, StillFingerBeginsOnceThenMovesWithItsFirstTouchDownTime) {
  ContactRecordReader reader;
  EXPECT_EQ(phases(frame(reader, 1.00, {{9, 4}})), std::vector{TouchPhase::began});
  for (double t = 1.01; t < 1.05; t += 0.01) {
    const auto touches = frame(reader, t, {{9, 4}});
    EXPECT_EQ(phases(touches), std::vector{TouchPhase::moved});
    EXPECT_DOUBLE_EQ(reader.previousContact(9)->touchedDownAt, 1.00);
    EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.00);
  }
  const Touch moved = frame(reader, 1.06, {{9, 4}})[0];
  EXPECT_EQ(moved.velocity, (PointF{0.1f, -0.2f}));
  EXPECT_FLOAT_EQ(moved.size, 1.25f);
  EXPECT_EQ(moved.pressure, 0.0f);
}

TEST(ContactRecordReader, LiftingFingerEndsOnceAtItsLastTouchingPosition) {
  ContactRecordReader reader;
  frame(reader, 1.00, {{9, 4, 0.2f, 0.3f}});
  frame(reader, 1.01, {{9, 4, 0.4f, 0.5f}});
  const auto lifted = frame(reader, 1.02, {{9, 5, 0.9f, 0.9f}});
  ASSERT_EQ(lifted.size(), 1u);
  EXPECT_EQ(lifted[0].phase, TouchPhase::ended);
  EXPECT_EQ(lifted[0].position, (PointF{0.4f, 0.5f}));
  EXPECT_EQ(lifted[0].velocity, (PointF{}));
  EXPECT_EQ(lifted[0].size, 0.0f);
  EXPECT_TRUE(reader.isEmpty());
  // The device goes on listing the contact in lingering states: nothing more is reported.
  EXPECT_TRUE(frame(reader, 1.03, {{9, 6}}).empty());
  EXPECT_TRUE(frame(reader, 1.04, {{9, 7}}).empty());
}

TEST(ContactRecordReader, VanishedContactsEndAndEmptyFrameEndsEveryone) {
  ContactRecordReader reader;
  frame(reader, 1.00, {{1, 4}, {2, 4}, {3, 4}});
  const auto afterVanish = frame(reader, 1.01, {{1, 4}, {3, 4}});
  ASSERT_EQ(afterVanish.size(), 3u);
  EXPECT_EQ(afterVanish[2].id, 2);
  EXPECT_EQ(afterVanish[2].phase, TouchPhase::ended);

  const auto empty = frame(reader, 1.02, {});
  EXPECT_EQ(phases(empty), (std::vector{TouchPhase::ended, TouchPhase::ended}));
  EXPECT_TRUE(reader.isEmpty());
  EXPECT_TRUE(frame(reader, 1.03, {}).empty());

  frame(reader, 1.04, {{5, 4}});
  reader.read(-3, nullptr, 1.05);  // a negative count or no records read as an empty frame
  EXPECT_EQ(reader.touches().size(), 1u);
  EXPECT_EQ(reader.touches()[0].phase, TouchPhase::ended);
}

TEST(ContactRecordReader, EarliestTouchDownIsTheFirstFingersAmongThoseStillDown) {
  ContactRecordReader reader;
  frame(reader, 1.00, {{1, 4}});
  frame(reader, 1.10, {{1, 4}, {2, 4}});
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.00);
  frame(reader, 1.20, {{2, 4}});
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.10);
  frame(reader, 1.30, {});
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.30);
}

TEST(ContactRecordReader, ContactListedTwiceInOneFrameIsReportedOnce) {
  ContactRecordReader reader;
  const auto touches = frame(reader, 1.0, {{4, 4, 0.1f, 0.1f}, {4, 3, 0.9f, 0.9f}});
  ASSERT_EQ(touches.size(), 1u);
  EXPECT_EQ(touches[0].phase, TouchPhase::began);
  EXPECT_EQ(touches[0].position, (PointF{0.1f, 0.1f}));
  EXPECT_EQ(reader.touchingCount(), 1);
}

}  // namespace
}  // namespace tactora
