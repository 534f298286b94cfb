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

// Reads one frame of records, encoded as a device sends them.
std::vector<Touch> frame(ContactRecordReader& reader, double now, std::vector<Record> records) {
  std::vector<unsigned char> bytes(std::max<std::size_t>(records.size(), 1) *
                                   MT_CONTACT_RECORD_SIZE);
  for (std::size_t i = 0; i < records.size(); ++i) {
    MTWriteContactRecord(&bytes[i * MT_CONTACT_RECORD_SIZE], records[i].id, records[i].state,
                         records[i].x, records[i].y, 0.1f, -0.2f, 1.25f);
  }
  reader.read(static_cast<std::int32_t>(records.size()), bytes.data(), now);
  return {reader.touches().begin(), reader.touches().end()};
}

Touch touch(std::int32_t id, TouchPhase phase, PointF position, PointF velocity, float size) {
  return Touch{id, phase, position, velocity, size, 0};
}

TEST(ContactRecordReader, ContactsBeginMoveAndEndOnceAcrossFrames) {
  using enum TouchPhase;
  const PointF v{0.1f, -0.2f};
  ContactRecordReader reader;
  // Only states 3 and 4 touch; a contact listed twice in one frame keeps its first record.
  EXPECT_EQ(frame(reader, 1.0, {{1, 1}, {2, 2}, {3, 3, 0.2f, 0.3f}, {3, 4, 0.9f}, {5, 5}, {7, 7}}),
            (std::vector{touch(3, began, {0.2f, 0.3f}, v, 1.25f)}));
  EXPECT_EQ(reader.touchingCount(), 1);

  EXPECT_EQ(frame(reader, 1.1, {{3, 4, 0.4f, 0.5f}, {4, 3}}),
            (std::vector{touch(3, moved, {0.4f, 0.5f}, v, 1.25f),
                         touch(4, began, {0.5f, 0.5f}, v, 1.25f)}));
  EXPECT_DOUBLE_EQ(reader.previousContact(3)->touchedDownAt, 1.0);
  EXPECT_DOUBLE_EQ(reader.previousContact(4)->touchedDownAt, 1.1);
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.0) << "the age counts from the first finger";

  // Contact 3 turns to state 5: it ends at its last touching position, and its lingering states
  // afterwards add nothing.
  EXPECT_EQ(
      frame(reader, 1.2, {{3, 5, 0.9f, 0.9f}, {4, 4}}),
      (std::vector{touch(4, moved, {0.5f, 0.5f}, v, 1.25f), touch(3, ended, {0.4f, 0.5f}, {}, 0)}));
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.1);
  EXPECT_EQ(frame(reader, 1.3, {{3, 6}, {4, 4}}).size(), 1u);
  EXPECT_DOUBLE_EQ(reader.previousContact(4)->touchedDownAt, 1.1);

  // A frame without records ends every remembered contact, once.
  EXPECT_EQ(frame(reader, 1.4, {}), (std::vector{touch(4, ended, {0.5f, 0.5f}, {}, 0)}));
  EXPECT_TRUE(reader.isEmpty());
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.4);
  reader.read(-3, nullptr, 1.5);
  EXPECT_TRUE(reader.touches().empty());
}

}  // namespace
}  // namespace tactora
