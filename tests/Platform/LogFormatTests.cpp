#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Log.h"
#include "Platform/LogFormat.h"
#include "Platform/Logger.h"
#include "support/CapturingLogSink.h"

namespace tactora::platform {
namespace {

using Lines = std::vector<std::string>;

// The conversions in use, flags, width and precision; missing, extra and odd arguments are
// harmless and never crash.
TEST(LogFormat, RendersConversionsAndToleratesWhateverItIsGiven) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* format;
    std::initializer_list<LogArg> args;
    const char* expected;
  } cases[] = {
      {"gesture %{public}s -> %{public}s", {std::string("swipe"), "left"}, "gesture swipe -> left"},
      {"%{public}ld, id %{public}d", {std::int64_t{-3}, std::int32_t{7}}, "-3, id 7"},
      {"%{public}lu", {std::numeric_limits<std::uint64_t>::max()}, "18446744073709551615"},
      {"enabled=%{bool,public}d %{public, bool}d", {true, 0}, "enabled=true false"},
      {"hold %{public}f s", {0.6}, "hold 0.600000 s"},
      {"%.2f mm, %.0f, %.1f, %.3f", {1.005f, 2.5, -0.05, 1.0 / 3}, "1.00 mm, 2, -0.1, 0.333"},
      {"100%% of %s", {"it"}, "100% of it"},
      {"%5.1f|%-4d|%05d|%+d", {2.25, 7, -42, 3}, "  2.2|7   |-0042|+3"},
      {"%x|%X|%.3d", {255, 255, 5}, "ff|FF|005"},
      {"[%6s|%-6s|%.2s]", {"ab", "ab", "abc"}, "[    ab|ab    |ab]"},
      {"%e %g", {12345.678, 0.0001}, "1.234568e+04 0.0001"},
      {"a=%{public}s b=%{public}ld", {"x"}, "a=x b=<missing>"},
      {"no arguments: %d %s", {}, "no arguments: <missing> <missing>"},
      {"plain", {1, 2}, "plain"},
      {"dangling %", {1}, "dangling %"},
      {"open %{public s", {1}, "open %{public s"},
      {"%ld %ld %ld", {nan, 1e300, -1e300}, "0 9223372036854775807 -9223372036854775808"},
      {"%f %s", {nan, std::numeric_limits<double>::infinity()}, "nan inf"},
      {"%{public}d %{public}f", {"text", "more"}, "text more"},
      {"%s %s %d", {true, 2.5, false}, "true 2.5 0"},
      {"%s", {static_cast<const char*>(nullptr)}, "(null)"},
  };
  for (const auto& [format, args, expected] : cases) {
    EXPECT_EQ(renderLogMessage(format, args), expected) << format;
  }
  EXPECT_EQ(renderLogMessage("%.999999f", {1e308}).size(), 309u + 1 + 64);
  EXPECT_EQ(renderLogMessage("%999999999d", {1}).size(), 256u);
}

TEST(LogFormat, NumbersUseADecimalPointInAnyLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  // The test command creates de_DE.UTF-8: without a locale with a decimal comma this guards
  // nothing.
  ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8"))
      << "no locale with a decimal comma installed (scripts/test creates de_DE.UTF-8)";
  const auto text = renderLogMessage("%.2f %{public}f %s", {1.5, 0.25, 0.5});
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(text, "1.50 0.250000 0.5");
}

// Debug lines reach only a sink that asked for them; the rest carry category, level and text.
TEST(Logger, WritesDebugLinesOnlyToAVerboseSink) {
  static constexpr Logger logger{"InputPipeline"};
  for (const bool verbose : {false, true}) {
    auto sink = std::make_shared<CapturingLogSink>(verbose);
    auto previous = Log::setSink(sink);
    logger.debug("frame %{public}ld", {1});
    logger.error("failed: %{public}s", {std::string_view("no device")});
    Log::setSink(previous);
    EXPECT_EQ(sink->messages("InputPipeline"),
              (verbose ? Lines{"frame 1", "failed: no device"} : Lines{"failed: no device"}));
    EXPECT_EQ(sink->lines().back().level, LogLevel::error);
  }
}

}  // namespace
}  // namespace tactora::platform
