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

// Every event survives the file in its short form, and the file's form (one member named after the
// case, single-precision payloads short) is what stored files hold; members that name nothing are
// ignored.
TEST(GestureEventCoding, EveryEventRoundTripsInTheFilesForm) {
  const std::pair<GestureEvent, const char*> events[] = {
      {GestureEvent::tap(-7), nullptr},
      {GestureEvent::rightZoneTap(), R"({"rightZoneTap":{}})"},
      {GestureEvent::swipe(3, Direction::left), R"({"swipe":{"direction":"left","fingers":3}})"},
      {GestureEvent::swipe(std::numeric_limits<std::int64_t>::max(), Direction::down), nullptr},
      {GestureEvent::pinch(Direction::up), nullptr},
      {GestureEvent::doubleTap(2), nullptr},
      {GestureEvent::tripleTap(std::numeric_limits<std::int64_t>::min()), nullptr},
      {GestureEvent::dragBegan(-0.1f, 1234.567f), nullptr},
      {GestureEvent::dragMoved(), nullptr},
      {GestureEvent::dragEnded(), nullptr},
      {GestureEvent::dragScrollMoved(0.62f, -3.4e38f), nullptr},
      {GestureEvent::dragScrollMoved(1e-30f, std::numeric_limits<float>::denorm_min()), nullptr},
      {GestureEvent::dragScrollEnded(0.1f, 100.0f),
       R"({"dragScrollEnded":{"velocityX":0.1,"velocityY":100.0}})"},
      {GestureEvent::dragScrollEnded(16777217.0f, -0.0f), nullptr},
      {GestureEvent::swipeCandidateBegan(), nullptr},
  };
  for (const auto& [event, written] : events) {
    const auto text = json::dump(toJson(event));
    auto decoded = decodeText(text);
    ASSERT_TRUE(decoded) << text << ": " << decoded.error().description();
    EXPECT_EQ(*decoded, event) << text;
    EXPECT_EQ(json::dump(toJson(*decoded)), text);
    if (written != nullptr) {
      EXPECT_EQ(text, written);
    }
  }
  EXPECT_EQ(*decodeText(R"({"tap":{"fingers":2,"note":true},"comment":"x"})"),
            GestureEvent::tap(2));
  EXPECT_EQ(*decodeText(R"({"rightZoneTap":{"x":1}})"), GestureEvent::rightZoneTap());
}

TEST(GestureEventCoding, FailuresSayWhereAndWhat) {
  const std::string oneKey = "Invalid number of keys found, expected one.";
  const std::pair<const char*, std::string> cases[] = {
      {"{}", oneKey},
      {R"({"tap":{"fingers":2},"doubleTap":{"fingers":2}})", oneKey},
      {R"({"longPress":{}})", oneKey},
      {"[]", "expected an object, found an array"},
      {R"({"rightZoneTap":null})", "rightZoneTap: expected an object, found null"},
      {R"({"swipe":{"fingers":2}})", R"(swipe: missing key "direction")"},
      {R"({"tap":{"fingers":"2"}})", "tap.fingers: expected an integer, found a string"},
      {R"({"tap":{"fingers":2.5}})", "tap.fingers: expected an integer, found the number 2.5"},
      {R"({"tap":{"fingers":18446744073709551615}})",
       "tap.fingers: number 18446744073709551615 does not fit a signed 64-bit integer"},
      {R"({"pinch":{"direction":"Up"}})",
       R"(pinch.direction: unknown direction "Up", expected left, right, up or down)"},
      {R"({"dragBegan":{"startX":1e300,"startY":0}})",
       "dragBegan.startX: number 1e+300 does not fit a 32-bit float"},
      {R"({"dragBegan":{"startX":1e400,"startY":0}})", "number overflow parsing '1e400'"},
  };
  for (const auto& [text, failure] : cases) {
    EXPECT_EQ(failureOf(text), failure);
  }
  EXPECT_EQ(decodeText("{}").error().kind, InputError::Kind::typeMismatch);
  EXPECT_EQ(decodeText(R"({"tap":{}})").error().kind, InputError::Kind::keyNotFound);
  EXPECT_EQ(decodeText(R"({"pinch":{"direction":"in"}})").error().kind,
            InputError::Kind::dataCorrupted);
}

// Outside text cannot exhaust the stack, and an error about it stays short and printable.
TEST(GestureEventCoding, HostileTextFailsCleanly) {
  EXPECT_FALSE(decodeText(std::string(100000, '[') + std::string(100000, ']')));
  EXPECT_TRUE(json::parse(std::string(200, '[') + std::string(200, ']')));
  for (const std::string& text : {std::string("{\"tap\":{\"fingers\":2},\"x\":\"\xff\xfe\"}"),
                                  std::string(), std::string(R"({"tap":{"fingers":2}} trailing)"),
                                  "{\"tap\":\"" + std::string(1 << 20, 'a') + "\xc3"}) {
    const auto message = failureOf(text);
    EXPECT_LT(message.size(), 300u);
    for (const char c : message) {
      EXPECT_TRUE(c >= 0x20 && c < 0x7f) << message;
    }
  }
}

// Zero of either sign is one value, hashed alike; the case and every payload count.
TEST(GestureEventEquality, ComparesCaseAndPayloadAndHashesEqualValuesAlike) {
  EXPECT_NE(GestureEvent::tap(2).hash(), GestureEvent::doubleTap(2).hash());
  EXPECT_NE(GestureEvent::tap(2).hash(), GestureEvent::tap(3).hash());
  EXPECT_NE(GestureEvent::dragScrollMoved(1, 2), GestureEvent::dragScrollEnded(1, 2));
  const auto positive = GestureEvent::dragBegan(0.0f, 0.0f);
  const auto negative = GestureEvent::dragBegan(-0.0f, -0.0f);
  EXPECT_EQ(positive, negative);
  EXPECT_EQ(std::hash<GestureEvent>{}(positive), std::hash<GestureEvent>{}(negative));
}

// Float payloads print in their shortest form with a decimal point (the replay's lines and the
// files); the recorded sessions' expected output holds every case's text.
TEST(FloatText, UsesTheShortestFormWithADecimal) {
  EXPECT_EQ(GestureEvent::dragScrollMoved(0.1f, -0.0f).description(),
            "dragScrollMoved(deltaX: 0.1, deltaY: -0.0)");
  const std::pair<float, const char*> floats[] = {{0.62f, "0.62"},
                                                  {1234567.0f, "1234567.0"},
                                                  {16777216.0f, "16777216.0"},
                                                  {33554432.0f, "3.3554432e+07"},
                                                  {-1e20f, "-1e+20"},
                                                  {1e-05f, "1e-05"},
                                                  {std::numeric_limits<float>::infinity(), "inf"}};
  for (const auto& [value, text] : floats) {
    EXPECT_EQ(json::formatFloat(value), text);
  }
  EXPECT_EQ(json::formatDouble(0.35), "0.35");
  EXPECT_EQ(json::formatDouble(1e15), "1000000000000000.0");
}

}  // namespace
}  // namespace tactora
