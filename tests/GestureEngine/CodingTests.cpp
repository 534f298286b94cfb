// Gesture events and the recognition tuning as the configuration file stores them.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "GestureEngine/GestureEvent.h"
#include "GestureEngine/InputError.h"
#include "GestureEngine/JsonCoding.h"
#include "GestureEngine/RecognitionConfig.h"

namespace tactora {
namespace {

// Decodes JSON text the way the configuration reader does: parse, then decode.
template <typename T>
Expected<T> decodeText(std::string_view text) {
  auto parsed = json::parse(text);
  if (!parsed) {
    return std::move(parsed).error();
  }
  if constexpr (std::is_same_v<T, GestureEvent>) {
    return decodeGestureEvent(*parsed);
  } else {
    return decodeRecognitionConfig(*parsed);
  }
}

template <typename T>
std::string failureOf(std::string_view text) {
  auto decoded = decodeText<T>(text);
  return decoded ? "decoded" : decoded.error().description();
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
      {GestureEvent::tripleTap(std::numeric_limits<std::int64_t>::min()), nullptr},
      {GestureEvent::dragBegan(-0.1f, 1234.567f), nullptr},
      {GestureEvent::dragMoved(), nullptr},
      {GestureEvent::dragScrollMoved(0.62f, -3.4e38f), nullptr},
      {GestureEvent::dragScrollMoved(1e-30f, std::numeric_limits<float>::denorm_min()), nullptr},
      {GestureEvent::dragScrollEnded(0.1f, 100.0f),
       R"({"dragScrollEnded":{"velocityX":0.1,"velocityY":100.0}})"},
      {GestureEvent::dragScrollEnded(16777217.0f, -0.0f), nullptr},
  };
  for (const auto& [event, written] : events) {
    const auto text = json::dump(toJson(event));
    auto decoded = decodeText<GestureEvent>(text);
    ASSERT_TRUE(decoded) << text << ": " << decoded.error().description();
    EXPECT_EQ(*decoded, event) << text;
    EXPECT_EQ(json::dump(toJson(*decoded)), written ? std::string(written) : text);
  }
  EXPECT_EQ(*decodeText<GestureEvent>(R"({"tap":{"fingers":2,"note":true},"comment":"x"})"),
            GestureEvent::tap(2));
}

// The defaults, and values off them at the edges of their types, survive the file exactly, in
// their short form whatever the locale; every member is written; absent, null and unknown keys
// read as the defaults and values are taken as they are, unclamped.
TEST(RecognitionConfigCoding, ValuesRoundTripExactlyAndMissingOnesAreTheDefaults) {
  RecognitionConfig changed;
  changed.tapMaxDuration = 0.1 + 0.2;
  changed.tapMaxTravelMM = std::nextafter(0.62f, 1.0f);
  changed.minTouchSize = 1e-30f;
  changed.swipeMinTravelMMY = 3.4e38f;
  changed.tapDebounce = -1;
  changed.dragActivation = DragActivation::disabled;
  changed.showGestureHUD = false;
  for (const RecognitionConfig& config : {RecognitionConfig::defaults(), changed}) {
    const auto encoded = toJson(config);
    EXPECT_EQ(encoded.size(), 27u);
    EXPECT_EQ(*decodeText<RecognitionConfig>(json::dump(encoded, 2)), config);
  }
  // The test command creates de_DE.UTF-8; in CI a missing locale is a broken set-up.
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
    EXPECT_EQ(std::getenv("CI"), nullptr) << "no locale with a decimal comma (scripts/test)";
  }
  const auto text = toJson(RecognitionConfig::defaults()).dump(2);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_NE(text.find("\"rightZoneMinX\": 0.62,"), std::string::npos) << text;
  EXPECT_EQ(text.find("0000"), std::string::npos) << text;

  auto expected = RecognitionConfig::defaults();
  expected.tapMaxDuration = 0.5;
  EXPECT_EQ(*decodeText<RecognitionConfig>(R"({"tapMaxDuration":0.5,"oneFingerSwipeEnabled":null,
                               "dragActivation":null,"futureKey":[1,2]})"),
            expected);
}

// A wrong value fails the whole record with a message naming the first wrong member (in
// declaration order) and what was found.
TEST(JsonCoding, FailuresSayWhereAndWhat) {
  const std::string oneKey = "Invalid number of keys found, expected one.";
  const std::pair<const char*, std::string> events[] = {
      {"{}", oneKey},
      {R"({"tap":{"fingers":2},"doubleTap":{"fingers":2}})", oneKey},
      {R"({"longPress":{}})", oneKey},
      {"[]", "expected an object, found an array"},
      {R"({"rightZoneTap":null})", "rightZoneTap: expected an object, found null"},
      {R"({"swipe":{"fingers":2}})", R"(swipe: missing key "direction")"},
      {R"({"tap":{"fingers":2.5}})", "tap.fingers: expected an integer, found the number 2.5"},
      {R"({"tap":{"fingers":18446744073709551615}})",
       "tap.fingers: number 18446744073709551615 does not fit a signed 64-bit integer"},
      {R"({"pinch":{"direction":"Up"}})",
       R"(pinch.direction: unknown direction "Up", expected left, right, up or down)"},
      {R"({"dragBegan":{"startX":1e300,"startY":0}})",
       "dragBegan.startX: number 1e+300 does not fit a 32-bit float"},
      {R"({"dragBegan":{"startX":1e400,"startY":0}})", "number overflow parsing '1e400'"},
  };
  for (const auto& [text, failure] : events) {
    EXPECT_EQ(failureOf<GestureEvent>(text), failure);
  }
  const std::pair<const char*, const char*> tuning[] = {
      {R"({"tapMaxTravelMM":"8"})", "tapMaxTravelMM: expected a number, found a string"},
      {R"({"showGestureHUD":1})", "showGestureHUD: expected a boolean, found a number"},
      {R"({"tapMaxDuration":0.5,"dragActivation":"FingerRest"})",
       R"(dragActivation: unknown drag activation "FingerRest", expected disabled, fingerRest or doubleTapHold)"},
      {R"({"dragScrollInverted":"no","tapMaxDuration":{}})",
       "tapMaxDuration: expected a number, found an object"},
  };
  for (const auto& [text, failure] : tuning) {
    EXPECT_EQ(failureOf<RecognitionConfig>(text), failure);
  }
  EXPECT_EQ(decodeText<GestureEvent>("{}").error().kind, InputError::Kind::typeMismatch);
  EXPECT_EQ(decodeText<GestureEvent>(R"({"tap":{}})").error().kind, InputError::Kind::keyNotFound);
  EXPECT_EQ(decodeText<GestureEvent>(R"({"pinch":{"direction":"in"}})").error().kind,
            InputError::Kind::dataCorrupted);
}

// Outside text cannot exhaust the stack, and an error about it stays short and printable.
TEST(JsonCoding, HostileTextFailsCleanly) {
  EXPECT_FALSE(decodeText<GestureEvent>(std::string(100000, '[') + std::string(100000, ']')));
  EXPECT_TRUE(json::parse(std::string(200, '[') + std::string(200, ']')));
  for (const std::string& text : {std::string("{\"tap\":{\"fingers\":2},\"x\":\"\xff\xfe\"}"),
                                  std::string(R"({"tap":{"fingers":2}} trailing)"),
                                  "{\"tap\":\"" + std::string(1 << 20, 'a') + "\xc3"}) {
    const auto message = failureOf<GestureEvent>(text);
    EXPECT_LT(message.size(), 300u);
    for (const char c : message) {
      EXPECT_TRUE(c >= 0x20 && c < 0x7f) << message;
    }
  }
}

// Every field counts; zero of either sign is one value, hashed alike. Numbers are written in their
// shortest form with a decimal point.
TEST(JsonCoding, EqualValuesHashAlikeAndNumbersPrintShortest) {
  EXPECT_NE(GestureEvent::tap(2).hash(), GestureEvent::doubleTap(2).hash());
  EXPECT_NE(GestureEvent::dragScrollMoved(1, 2), GestureEvent::dragScrollEnded(1, 2));
  const auto negative = GestureEvent::dragBegan(-0.0f, -0.0f);
  EXPECT_EQ(GestureEvent::dragBegan(0.0f, 0.0f), negative);
  EXPECT_EQ(std::hash<GestureEvent>{}(GestureEvent::dragBegan(0.0f, 0.0f)),
            std::hash<GestureEvent>{}(negative));
  auto positive = RecognitionConfig::defaults();
  auto negated = positive;
  positive.tapDebounce = 0.0;
  negated.tapDebounce = -0.0;
  EXPECT_EQ(positive, negated);
  EXPECT_EQ(positive.hash(), negated.hash());
  negated.dragActivation = DragActivation::fingerRest;
  EXPECT_NE(positive.hash(), negated.hash());
  const std::pair<float, const char*> floats[] = {
      {16777216.0f, "16777216.0"}, {33554432.0f, "3.3554432e+07"}, {-1e20f, "-1e+20"}};
  for (const auto& [value, text] : floats) {
    EXPECT_EQ(json::formatFloat(value), text);
  }
  EXPECT_EQ(json::formatDouble(1e15), "1000000000000000.0");
}

}  // namespace
}  // namespace tactora
