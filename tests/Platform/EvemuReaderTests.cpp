#include "Platform/evdev/EvemuReader.h"

#include <string>

#include <gtest/gtest.h>

namespace tactora::platform {
namespace {

using namespace std::string_view_literals;

InputError readError(std::string_view text) {
  EvemuReader::Result result = EvemuReader::read(text, "session.evemu");
  EXPECT_FALSE(result) << "read succeeded";
  return result ? InputError{} : std::move(result).error();
}

// The real recording (decimal values with leading zeros, trailing comments, negative values,
// the header's axes) is read by the replay of the example sessions, which checks what it yields.
TEST(EvemuReader, AcceptsTheFormatsVariants) {
  // Old axis lines without a resolution, LED and switch states, CRLF line ends, blank lines,
  // indented comments and events without a comment.
  const EvemuReader::Result read = EvemuReader::read(
      "# EVEMU 1.2\r\n"
      "N: Some Device With Spaces\r\n"
      "\r\n"
      "A: 35 0 100 0 0\n"
      "L: 00 1\n"
      "S: 05 0\n"
      "   # an indented comment\n"
      "E: 12.500000 0002 0008 -1\n"
      "E: 12.500000 0000 0000 0000 # ---\n");
  ASSERT_TRUE(read) << read.error().message;
  const EvemuRecording& recording = *read;
  EXPECT_EQ(recording.name, "Some Device With Spaces");
  EXPECT_EQ(*recording.axis(0x35), (EvemuRecording::Axis{0x35, 0, 100, 0, 0, 0}));
  ASSERT_EQ(recording.events.size(), 2u);
  EXPECT_EQ(recording.events[0], (EvemuRecording::Event{12'500'000, 2, 8, -1}));
}

TEST(EvemuReader, RejectsMalformedLinesNamingLineAndProblem) {
  struct Case {
    std::string_view text;
    std::size_t line;
    const char* message;
  };
  const Case cases[] = {
      {"N: m\nX: what\n", 2, "unknown line kind 'X:'"},
      {"N: m\nhello\n", 2, "expected a comment or a line starting with N:, I:, P:, B:, A:, L:"},
      {"N:\n", 1, "N: line without a device name"},
      {"I: 0005 05ac 030d\n", 1, "I: line must be"},
      {"I: 0005 05ac 030d zz\n", 1, "I: line must be"},
      {"P: 00 100\n", 1, "expected a hexadecimal byte, not '100'"},
      {"B: 40 00\n", 1, "B: line names an event type above EV_MAX: '40'"},
      {"A: 35 10 0 0 0 0\n", 1, "A: line has its minimum above its maximum: 10 > 0"},
      {"A: 35 0 99999999999 0 0 0\n", 1, "A: line must be"},
      {"E: 0.000001 0003 0035\n", 1, "E: line must be 'E: SECONDS.MICROSECONDS TYPE CODE VALUE'"},
      {"E: 0.1 0003 0035 1\n", 1, "event time must be SECONDS.MICROSECONDS with six digits"},
      {"E: -1.000000 0003 0035 1\n", 1, "event time must be"},
      {"E: 0.000001 00003 0035 1\n", 1, "event type must be hexadecimal (up to 4 digits), not"},
      {"E: 0.000001 0003 00g5 1\n", 1, "event code must be hexadecimal"},
      {"E: 0.000001 0003 0035 2147483648\n", 1, "event value must be a 32-bit decimal integer"},
      {"E: 0.000001 0003 0035 1x\n", 1, "event value must be a 32-bit decimal integer"},
      {"E: 2.000000 0000 0000 0\nE: 1.999999 0000 0000 0\n", 2, "event time goes backwards"},
      {"E: 0.000001 0000 0000 0\nN: late\n", 2, "device description must come before the events"},
      {"N: m\nE: 0.000001 0000\0 0000 0\n"sv, 2, "line contains a NUL byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const InputError error = readError(c.text);
    EXPECT_EQ(error.line, c.line);
    EXPECT_EQ(error.file, "session.evemu");
    EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
  }
  // Text without a device or events is an error of no line in particular.
  EXPECT_EQ(readError("").line, 0u);
  EXPECT_EQ(readError("# only a comment\n\n").line, 0u);
}

}  // namespace
}  // namespace tactora::platform
