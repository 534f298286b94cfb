#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "GestureEngine/Expected.h"
#include "GestureEngine/GestureEvent.h"
#include "GestureEngine/InputError.h"
#include "GestureEngine/JsonCoding.h"

namespace tactora {
namespace {

// Decodes JSON text the way the configuration reader does: parse, then decode.
Expected<GestureEvent> decodeText(std::string_view text) {
  auto parsed = json::parse(text);
  if (!parsed) {
    return std::move(parsed).error();
  }
  return decodeGestureEvent(*parsed);
}

std::string failureOf(std::string_view text) {
  auto decoded = decodeText(text);
  return decoded ? "decoded as " + decoded->description() : decoded.error().description();
}

TEST(GestureEventCoding, EveryEventRoundTripsThroughJsonText) {
  const std::vector<GestureEvent> events{
      GestureEvent::tap(1),
      GestureEvent::tap(-7),
      GestureEvent::rightZoneTap(),
      GestureEvent::swipe(2, Direction::left),
      GestureEvent::swipe(3, Direction::right),
      GestureEvent::swipe(1, Direction::up),
      GestureEvent::swipe(std::numeric_limits<std::int64_t>::max(), Direction::down),
      GestureEvent::pinch(Direction::up),
      GestureEvent::pinch(Direction::down),
      GestureEvent::doubleTap(2),
      GestureEvent::tripleTap(std::numeric_limits<std::int64_t>::min()),
      GestureEvent::dragBegan(100.0f, 200.0f),
      GestureEvent::dragBegan(-0.1f, 1234.567f),
      GestureEvent::dragMoved(),
      GestureEvent::dragEnded(),
      GestureEvent::dragScrollMoved(0.62f, -3.4e38f),
      GestureEvent::dragScrollMoved(1e-30f, std::numeric_limits<float>::denorm_min()),
      GestureEvent::dragScrollEnded(16777217.0f, -0.0f),
      GestureEvent::swipeCandidateBegan(),
  };
  for (const auto& event : events) {
    const auto text = json::dump(toJson(event));
    auto decoded = decodeText(text);
    ASSERT_TRUE(decoded) << text << ": " << decoded.error().description();
    EXPECT_EQ(*decoded, event) << text;
    EXPECT_EQ(json::dump(toJson(*decoded)), text);
  }
}

TEST(GestureEventCoding, WritesOneMemberNamedAfterTheCase) {
  EXPECT_EQ(json::dump(toJson(GestureEvent::swipe(3, Direction::left))),
            R"({"swipe":{"direction":"left","fingers":3}})");
  EXPECT_EQ(json::dump(toJson(GestureEvent::rightZoneTap())), R"({"rightZoneTap":{}})");
  // Single-precision payloads print in their short form, not as the widened double.
  EXPECT_EQ(json::dump(toJson(GestureEvent::dragScrollEnded(0.1f, 100.0f))),
            R"({"dragScrollEnded":{"velocityX":0.1,"velocityY":100.0}})");
}

TEST(GestureEventCoding, IgnoresMembersThatNameNoCaseOrLabel) {
  auto tap = decodeText(R"({"tap":{"fingers":2,"note":true},"comment":"x"})");
  ASSERT_TRUE(tap);
  EXPECT_EQ(*tap, GestureEvent::tap(2));
  auto zone = decodeText(R"({"rightZoneTap":{"x":1}})");
  ASSERT_TRUE(zone);
  EXPECT_EQ(*zone, GestureEvent::rightZoneTap());
}

TEST(GestureEventCoding, FailuresSayWhereAndWhat) {
  const std::string oneKey = "Invalid number of keys found, expected one.";
  EXPECT_EQ(failureOf("{}"), oneKey);
  EXPECT_EQ(failureOf(R"({"tap":{"fingers":2},"doubleTap":{"fingers":2}})"), oneKey);
  EXPECT_EQ(failureOf(R"({"longPress":{}})"), oneKey);
  EXPECT_EQ(failureOf("[]"), "expected an object, found an array");
  EXPECT_EQ(failureOf(R"({"rightZoneTap":null})"), "rightZoneTap: expected an object, found null");
  EXPECT_EQ(failureOf(R"({"tap":{}})"), R"(tap: missing key "fingers")");
  EXPECT_EQ(failureOf(R"({"swipe":{"fingers":2}})"), R"(swipe: missing key "direction")");
  EXPECT_EQ(failureOf(R"({"tap":{"fingers":"2"}})"),
            "tap.fingers: expected an integer, found a string");
  EXPECT_EQ(failureOf(R"({"tap":{"fingers":2.5}})"),
            "tap.fingers: expected an integer, found the number 2.5");
  EXPECT_EQ(failureOf(R"({"tap":{"fingers":99999999999999999999999}})"),
            "tap.fingers: expected an integer, found the number 1e+23");
  EXPECT_EQ(failureOf(R"({"tap":{"fingers":18446744073709551615}})"),
            "tap.fingers: number 18446744073709551615 does not fit a signed 64-bit integer");
  EXPECT_EQ(failureOf(R"({"pinch":{"direction":"Up"}})"),
            R"(pinch.direction: unknown direction "Up", expected left, right, up or down)");
  EXPECT_EQ(failureOf(R"({"dragBegan":{"startX":1e300,"startY":0}})"),
            "dragBegan.startX: number 1e+300 does not fit a 32-bit float");

  EXPECT_EQ(decodeText("{}").error().kind, InputError::Kind::typeMismatch);
  EXPECT_EQ(decodeText(R"({"tap":{}})").error().kind, InputError::Kind::keyNotFound);
  EXPECT_EQ(decodeText(R"({"pinch":{"direction":"in"}})").error().kind,
            InputError::Kind::dataCorrupted);
}

TEST(GestureEventCoding, HostileTextFailsCleanly) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_FALSE(decodeText(deep));
  EXPECT_TRUE(json::parse(std::string(200, '[') + std::string(200, ']')));

  EXPECT_EQ(failureOf(R"({"dragBegan":{"startX":1e400,"startY":0}})"),
            "number overflow parsing '1e400'");
  EXPECT_FALSE(decodeText("{\"tap\":{\"fingers\":2},\"x\":\"\xff\xfe\"}"));
  EXPECT_FALSE(decodeText(""));
  EXPECT_FALSE(decodeText(R"({"tap":{"fingers":2}} trailing)"));

  // A huge string that is never closed: the error stays short and printable.
  const auto unterminated = "{\"tap\":\"" + std::string(1 << 20, 'a') + "\xc3";
  const auto message = failureOf(unterminated);
  EXPECT_LT(message.size(), 300u);
  for (const char c : message) {
    EXPECT_TRUE(c >= 0x20 && c < 0x7f) << message;
  }

  // A large but well-formed unknown member is simply ignored.
  auto bulky = decodeText(R"({"tap":{"fingers":1},"pad":")" + std::string(1 << 20, 'b') + "\"}");
  ASSERT_TRUE(bulky);
  EXPECT_EQ(*bulky, GestureEvent::tap(1));
}

TEST(GestureEventEquality, ComparesCaseAndPayloadExactly) {
  EXPECT_NE(GestureEvent::tap(2), GestureEvent::doubleTap(2));
  EXPECT_NE(GestureEvent::tap(2), GestureEvent::tap(3));
  EXPECT_NE(GestureEvent::swipe(2, Direction::left), GestureEvent::swipe(2, Direction::right));
  EXPECT_NE(GestureEvent::dragScrollMoved(1, 2), GestureEvent::dragScrollEnded(1, 2));
  EXPECT_NE(GestureEvent::tap(2).hash(), GestureEvent::doubleTap(2).hash());
  EXPECT_NE(GestureEvent::tap(2).hash(), GestureEvent::tap(3).hash());

  const auto nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_NE(GestureEvent::dragBegan(nan, 0), GestureEvent::dragBegan(nan, 0));
}

TEST(GestureEventEquality, ZeroOfEitherSignIsEqualAndHashesAlike) {
  const auto positive = GestureEvent::dragBegan(0.0f, 0.0f);
  const auto negative = GestureEvent::dragBegan(-0.0f, -0.0f);
  EXPECT_EQ(positive, negative);
  EXPECT_EQ(positive.hash(), negative.hash());
  EXPECT_EQ(std::hash<GestureEvent>{}(GestureEvent::dragScrollEnded(-0.0f, 1)),
            std::hash<GestureEvent>{}(GestureEvent::dragScrollEnded(0.0f, 1)));
}

// Every case's text is in the recorded sessions' expected output; these are the float forms no
// recording produces.
TEST(GestureEventText, NamesTheCaseAndLabelsThePayload) {
  EXPECT_EQ(GestureEvent::rightZoneTap().description(), "rightZoneTap");
  EXPECT_EQ(GestureEvent::dragScrollMoved(0.1f, -0.0f).description(),
            "dragScrollMoved(deltaX: 0.1, deltaY: -0.0)");
  EXPECT_EQ(GestureEvent::dragScrollEnded(0.0001f, 0.00001f).description(),
            "dragScrollEnded(velocityX: 0.0001, velocityY: 1e-05)");
}

TEST(FloatText, UsesTheShortestFormWithADecimal) {
  EXPECT_EQ(json::formatFloat(0.62f), "0.62");
  EXPECT_EQ(json::formatFloat(1234567.0f), "1234567.0");
  EXPECT_EQ(json::formatFloat(16777216.0f), "16777216.0");
  EXPECT_EQ(json::formatFloat(33554432.0f), "3.3554432e+07");
  EXPECT_EQ(json::formatFloat(-1e20f), "-1e+20");
  EXPECT_EQ(json::formatFloat(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(json::formatDouble(0.35), "0.35");
  EXPECT_EQ(json::formatDouble(1e15), "1000000000000000.0");
}

}  // namespace
}  // namespace tactora
