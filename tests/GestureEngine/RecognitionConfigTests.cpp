#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "GestureEngine/JsonCoding.h"
#include "GestureEngine/RecognitionConfig.h"

namespace tactora {
namespace {

Expected<RecognitionConfig> decodeText(std::string_view text) {
  auto parsed = json::parse(text);
  if (!parsed) {
    return std::move(parsed).error();
  }
  return decodeRecognitionConfig(*parsed);
}

std::string failureOf(std::string_view text) {
  auto decoded = decodeText(text);
  return decoded ? "decoded" : decoded.error().description();
}

TEST(RecognitionConfigCoding, DefaultsRoundTripThroughTextWithAllMembersAndFromAnEmptyObject) {
  const auto encoded = toJson(RecognitionConfig::defaults());
  EXPECT_EQ(encoded.size(), 27u);
  for (const auto& text : {json::dump(encoded, 2), std::string("{}")}) {
    auto decoded = decodeText(text);
    ASSERT_TRUE(decoded) << text;
    EXPECT_EQ(*decoded, RecognitionConfig::defaults()) << text;
  }
}

TEST(RecognitionConfigCoding, ChangedValuesRoundTripExactly) {
  RecognitionConfig config;
  config.tapMaxDuration = 0.1 + 0.2;
  config.tapMaxTravelMM = std::nextafter(0.62f, 1.0f);
  config.minTouchSize = 1e-30f;
  config.rightZoneMinX = 1.5f;
  config.swipeMinTravelMMY = 3.4e38f;
  config.dragActivation = DragActivation::disabled;
  config.dragScrollInverted = true;
  config.showGestureHUD = false;
  auto decoded = decodeText(json::dump(toJson(config)));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, config);
}

TEST(RecognitionConfigCoding, SinglePrecisionValuesAreWrittenShort) {
  const auto text = toJson(RecognitionConfig::defaults()).dump(2);
  EXPECT_NE(text.find("\"rightZoneMinX\": 0.62,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"tapMaxDuration\": 0.35,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"dragActivation\": \"doubleTapHold\","), std::string::npos) << text;
  EXPECT_EQ(text.find("0000"), std::string::npos) << text;
}

TEST(RecognitionConfigCoding, SinglePrecisionValuesIgnoreTheLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
    // The test command creates de_DE.UTF-8; in CI a missing locale is a broken set-up, not a
    // reason to guard nothing.
    if (std::getenv("CI")) {
      FAIL() << "no locale with a decimal comma installed (scripts/test creates de_DE.UTF-8)";
    }
    GTEST_SKIP() << "no locale with a decimal comma installed (scripts/test creates de_DE.UTF-8)";
  }
  const auto text = json::dump(toJson(RecognitionConfig::defaults()));
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_NE(text.find("\"rightZoneMinX\":0.62,"), std::string::npos) << text;
}

TEST(RecognitionConfigCoding, AbsentAndNullKeysTakeTheirDefaults) {
  auto decoded = decodeText(R"({"tapMaxDuration":0.5,"oneFingerSwipeEnabled":null,
                                "dragActivation":null,"tapMaxTravelMMSlow":2,"futureKey":[1,2]})");
  ASSERT_TRUE(decoded);
  auto expected = RecognitionConfig::defaults();
  expected.tapMaxDuration = 0.5;
  expected.tapMaxTravelMMSlow = 2.0f;
  EXPECT_EQ(*decoded, expected);
}

TEST(RecognitionConfigCoding, ValuesAreUsedWithoutClamping) {
  auto decoded = decodeText(
      R"({"tapDebounce":-1,"swipeMinTravelMMX":0,"rightZoneMinY":7.25,"dragActivation":"fingerRest"})");
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->tapDebounce, -1.0);
  EXPECT_EQ(decoded->swipeMinTravelMMX, 0.0f);
  EXPECT_EQ(decoded->rightZoneMinY, 7.25f);
  EXPECT_EQ(decoded->dragActivation, DragActivation::fingerRest);
}

TEST(RecognitionConfigCoding, AWrongValueFailsTheWholeRecord) {
  EXPECT_EQ(failureOf(R"({"tapMaxTravelMM":"8"})"),
            "tapMaxTravelMM: expected a number, found a string");
  EXPECT_EQ(failureOf(R"({"showGestureHUD":1})"),
            "showGestureHUD: expected a boolean, found a number");
  EXPECT_EQ(
      failureOf(R"({"tapMaxDuration":0.5,"dragActivation":"FingerRest"})"),
      R"(dragActivation: unknown drag activation "FingerRest", expected disabled, fingerRest or doubleTapHold)");
  EXPECT_EQ(failureOf(R"({"dragActivation":2})"),
            "dragActivation: expected a string, found a number");
  EXPECT_EQ(failureOf(R"({"rightZoneMinX":1e39})"),
            "rightZoneMinX: number 1e+39 does not fit a 32-bit float");
  // The first bad field in declaration order is the one reported.
  EXPECT_EQ(failureOf(R"({"dragScrollInverted":"no","tapMaxDuration":{}})"),
            "tapMaxDuration: expected a number, found an object");
}

TEST(RecognitionConfigEquality, EveryFieldCountsAndZeroSignDoesNot) {
  auto coalesced = RecognitionConfig::defaults();
  coalesced.tapCoalesceWindow = 0.09;
  EXPECT_NE(coalesced, RecognitionConfig::defaults());

  auto positive = RecognitionConfig::defaults();
  auto negative = positive;
  positive.tapMaxSlideSpeedMMPerS = 0.0f;
  negative.tapMaxSlideSpeedMMPerS = -0.0f;
  positive.tapDebounce = 0.0;
  negative.tapDebounce = -0.0;
  EXPECT_EQ(positive, negative);
  EXPECT_EQ(positive.hash(), negative.hash());
  EXPECT_EQ(std::hash<RecognitionConfig>{}(positive), std::hash<RecognitionConfig>{}(negative));

  auto fingerRest = RecognitionConfig::defaults();
  fingerRest.dragActivation = DragActivation::fingerRest;
  EXPECT_NE(fingerRest.hash(), RecognitionConfig::defaults().hash());

  auto withNaN = RecognitionConfig::defaults();
  withNaN.pinchMinDeltaMM = std::numeric_limits<float>::quiet_NaN();
  EXPECT_NE(withNaN, withNaN);
}

}  // namespace
}  // namespace tactora
