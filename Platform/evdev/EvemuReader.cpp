#include "Platform/evdev/EvemuReader.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "Platform/InputFile.h"

namespace tactora::platform {
namespace {

// Event types run from EV_SYN (0) to EV_MAX (0x1f); a `B:` line for anything above is not a
// device description.
constexpr unsigned maxEventType = 0x1f;
constexpr std::size_t maxTokensPerLine = 64;

// The line split into fields at spaces and tabs, without its kind prefix. A `#` after an event's
// fields starts the human-readable comment that evemu-record appends; it is not a field. At most
// `Capacity` fields are kept: one more than a line may hold, so that too many show. Event lines,
// nearly every line of a recording, take a capacity of five, so splitting one costs next to
// nothing.
template <std::size_t Capacity = maxTokensPerLine + 1>
class Fields {
 public:
  explicit Fields(std::string_view rest) {
    std::size_t i = 0;
    while (i < rest.size() && count_ < Capacity) {
      while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) {
        ++i;
      }
      if (i >= rest.size() || rest[i] == '#') {
        break;
      }
      std::size_t start = i;
      while (i < rest.size() && rest[i] != ' ' && rest[i] != '\t') {
        ++i;
      }
      tokens_[count_++] = rest.substr(start, i - start);
    }
  }
  std::size_t size() const { return count_; }
  std::string_view operator[](std::size_t i) const { return tokens_[i]; }

 private:
  std::string_view tokens_[Capacity];
  std::size_t count_ = 0;
};

template <class T>
bool parseHex(std::string_view text, T& out) {
  if (text.empty()) {
    return false;
  }
  unsigned long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (ec != std::errc{} || end != text.data() + text.size() ||
      value > std::numeric_limits<T>::max()) {
    return false;
  }
  out = static_cast<T>(value);
  return true;
}

bool parseDecimal(std::string_view text, std::int32_t& out) {
  if (text.empty()) {
    return false;
  }
  // from_chars takes no leading '+'; evemu never writes one but hand-written files may.
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') {
      return false;
    }
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, 10);
  return ec == std::errc{} && end == text.data() + text.size();
}

bool isDigits(std::string_view text) {
  if (text.empty()) {
    return false;
  }
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

// "SECONDS.MICROSECONDS", six digits after the point, as evemu-record writes it.
bool parseTime(std::string_view text, std::int64_t& microseconds) {
  std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) {
    return false;
  }
  std::string_view seconds = text.substr(0, dot);
  std::string_view fraction = text.substr(dot + 1);
  if (!isDigits(seconds) || fraction.size() != 6 || !isDigits(fraction)) {
    return false;
  }
  std::int64_t whole = 0;
  auto [end, ec] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), whole);
  // Keep the product well inside 64 bits: about 290,000 years of recording.
  if (ec != std::errc{} || end != seconds.data() + seconds.size() ||
      whole > std::numeric_limits<std::int64_t>::max() / 1'000'000 - 1) {
    return false;
  }
  std::int64_t micros = 0;
  std::from_chars(fraction.data(), fraction.data() + fraction.size(), micros);
  microseconds = whole * 1'000'000 + micros;
  return true;
}

std::string quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text.substr(0, 40)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      out += '?';
    } else {
      out += c;
    }
  }
  if (text.size() > 40) {
    out += "...";
  }
  return out + "'";
}

// An event line as evemu-record writes it, "S.UUUUUU TTTT CCCC VALUE" after the "E:" and
// optionally a comment, read in one pass: nearly every line of a recording is one, and splitting
// each into fields first costs more than the rest of reading it. Anything else (a sign, a long
// number, a stray character) returns false and is read by the general rules, which also say what
// is wrong.
class EventLine {
 public:
  explicit EventLine(std::string_view rest) : at_(rest.data()), end_(rest.data() + rest.size()) {}

  bool read(std::int64_t& microseconds, std::uint16_t& type, std::uint16_t& code,
            std::int32_t& value) {
    std::int64_t seconds = 0;
    std::int64_t fraction = 0;
    std::int64_t number = 0;
    if (!skipBlanks() || !digits(seconds, 1, 12) || !expect('.') || !digits(fraction, 6, 6) ||
        !skipBlanks() || !hex(type) || !skipBlanks() || !hex(code) || !skipBlanks()) {
      return false;
    }
    const bool negative = at_ != end_ && *at_ == '-';
    at_ += negative ? 1 : 0;
    if (!digits(number, 1, 10) || number > std::int64_t{1} << 31 ||
        (!negative && number == std::int64_t{1} << 31)) {
      return false;
    }
    while (at_ != end_ && (*at_ == ' ' || *at_ == '\t')) {
      ++at_;
    }
    if (at_ != end_ && *at_ != '#') {
      return false;
    }
    microseconds = seconds * 1'000'000 + fraction;
    value = static_cast<std::int32_t>(negative ? -number : number);
    return true;
  }

 private:
  static int hexDigit(char c) { return hexDigits[static_cast<unsigned char>(c)]; }
  static constexpr std::array<std::int8_t, 256> hexDigits = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i) {
      table['0' + i] = static_cast<std::int8_t>(i);
    }
    for (int i = 0; i < 6; ++i) {
      table['a' + i] = table['A' + i] = static_cast<std::int8_t>(10 + i);
    }
    return table;
  }();

  // At least one blank, then something that is not one.
  bool skipBlanks() {
    const char* start = at_;
    while (at_ != end_ && (*at_ == ' ' || *at_ == '\t')) {
      ++at_;
    }
    return at_ != start && at_ != end_;
  }
  bool expect(char c) {
    if (at_ == end_ || *at_ != c) {
      return false;
    }
    ++at_;
    return true;
  }
  bool digits(std::int64_t& out, int fewest, int most) {
    int count = 0;
    for (; at_ != end_ && *at_ >= '0' && *at_ <= '9'; ++at_, ++count) {
      if (count == most) {
        return false;
      }
      out = out * 10 + (*at_ - '0');
    }
    return count >= fewest;
  }
  bool hex(std::uint16_t& out) {
    // evemu-record writes four digits: decoded without a loop.
    if (end_ - at_ > 4 && (at_[4] == ' ' || at_[4] == '\t')) {
      const int a = hexDigit(at_[0]);
      const int b = hexDigit(at_[1]);
      const int c = hexDigit(at_[2]);
      const int d = hexDigit(at_[3]);
      if ((a | b | c | d) >= 0) {
        out = static_cast<std::uint16_t>(a << 12 | b << 8 | c << 4 | d);
        at_ += 4;
        return true;
      }
    }
    unsigned value = 0;
    int count = 0;
    for (; at_ != end_; ++at_, ++count) {
      const int digit = hexDigit(*at_);
      if (digit < 0) {
        break;
      }
      if (count == 4) {
        return false;
      }
      value = value * 16 + static_cast<unsigned>(digit);
    }
    out = static_cast<std::uint16_t>(value);
    return count > 0;
  }

  const char* at_;
  const char* end_;
};

class Parser {
 public:
  explicit Parser(const std::string& name) : name_(name) {}

  // Room for the events of a recording of this many bytes: nearly every line is an event of
  // about 27 bytes.
  void expect(std::size_t bytes) { recording_.events.reserve(bytes / 26); }

  // Reads every complete line at the start of `text` and leaves in it what follows the last
  // newline (a line whose end is still to come). False once a line is wrong.
  bool readLines(std::string_view& text) {
    // One look for a NUL byte in the whole text spares one per line.
    noNul_ = std::memchr(text.data(), '\0', text.size()) == nullptr;
    for (std::size_t newline = text.find('\n'); newline != std::string_view::npos;
         newline = text.find('\n')) {
      if (!readLine(text.substr(0, newline))) {
        return false;
      }
      text.remove_prefix(newline + 1);
    }
    return true;
  }

  // Reads the last line (without a newline at its end); the recording, or the first error.
  EvemuReader::Result finish(std::string_view lastLine) {
    if (!error_ && !lastLine.empty()) {
      readLine(lastLine);
    }
    if (error_) {
      return std::move(*error_);
    }
    if (recording_.events.empty() && recording_.name.empty() && !recording_.id &&
        recording_.axes.empty() && recording_.eventBits.empty()) {
      return InputError::dataCorrupted(
                 "not an evemu recording: no device description and no events")
          .in(name_);
    }
    return std::move(recording_);
  }

 private:
  bool readLine(std::string_view line) {
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (noNul_ && readCanonicalEvent(line)) {
      return true;
    }
    if (std::string_view problem = parseLine(line); !problem.empty()) {
      error_ = InputError::atLine(name_, lineNumber_, std::string(problem) + detail_);
      return false;
    }
    return true;
  }

  // Returns an empty view when the line is fine; otherwise the start of the message, and
  // `detail_` holds the rest.
  std::string_view parseLine(std::string_view line) {
    detail_.clear();
    if (line.find('\0') != std::string_view::npos) {
      return "line contains a NUL byte";
    }
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') {
      return {};
    }
    line.remove_prefix(first);
    if (line.size() < 2 || line[1] != ':') {
      detail_ = quoted(line);
      return "expected a comment or a line starting with N:, I:, P:, B:, A:, L:, S: or E:, not ";
    }
    char kind = line[0];
    std::string_view rest = line.substr(2);
    if (kind != 'E' && sawEvent_) {
      detail_ = std::string(1, kind) + ": line after the first event";
      return "device description must come before the events; found an ";
    }
    switch (kind) {
      case 'N':
        return parseName(rest);
      case 'I':
        return parseId(rest);
      case 'P':
        return parseProperties(rest);
      case 'B':
        return parseBits(rest);
      case 'A':
        return parseAxis(rest);
      case 'L':
      case 'S':
        return parseState(kind, rest);
      case 'E':
        return parseEvent(rest);
      default:
        detail_ = quoted(line.substr(0, 2));
        return "unknown line kind ";
    }
  }

  std::string_view parseName(std::string_view rest) {
    std::size_t start = rest.find_first_not_of(" \t");
    std::string_view name = start == std::string_view::npos ? "" : rest.substr(start);
    if (name.empty()) {
      return "N: line without a device name";
    }
    recording_.name = std::string(name);
    return {};
  }

  std::string_view parseId(std::string_view rest) {
    Fields<> fields(rest);
    EvemuRecording::DeviceId id;
    if (fields.size() != 4 || !parseHex(fields[0], id.bustype) || !parseHex(fields[1], id.vendor) ||
        !parseHex(fields[2], id.product) || !parseHex(fields[3], id.version)) {
      return "I: line must be 'I: BUS VENDOR PRODUCT VERSION' in hexadecimal";
    }
    recording_.id = id;
    return {};
  }

  std::string_view parseBytes(const Fields<>& fields, std::size_t from,
                              std::vector<std::uint8_t>& out) {
    for (std::size_t i = from; i < fields.size(); ++i) {
      std::uint8_t byte = 0;
      if (fields[i].size() > 2 || !parseHex(fields[i], byte)) {
        detail_ = quoted(fields[i]);
        return "expected a hexadecimal byte, not ";
      }
      out.push_back(byte);
    }
    return {};
  }

  std::string_view parseProperties(std::string_view rest) {
    Fields<> fields(rest);
    if (fields.size() == 0 || fields.size() > maxTokensPerLine) {
      return "P: line must hold 1 to 64 hexadecimal bytes";
    }
    return parseBytes(fields, 0, recording_.properties);
  }

  std::string_view parseBits(std::string_view rest) {
    Fields<> fields(rest);
    std::uint8_t type = 0;
    if (fields.size() < 1 || fields.size() > maxTokensPerLine || fields[0].size() > 2 ||
        !parseHex(fields[0], type)) {
      return "B: line must be 'B: TYPE BYTES...' in hexadecimal";
    }
    if (type > maxEventType) {
      detail_ = quoted(fields[0]);
      return "B: line names an event type above EV_MAX: ";
    }
    if (recording_.eventBits.size() <= type) {
      recording_.eventBits.resize(type + 1u);
    }
    return parseBytes(fields, 1, recording_.eventBits[type]);
  }

  std::string_view parseAxis(std::string_view rest) {
    Fields<> fields(rest);
    EvemuRecording::Axis axis;
    // Older evemu versions wrote no resolution; it is then 0.
    if ((fields.size() != 5 && fields.size() != 6) || !parseHex(fields[0], axis.code) ||
        !parseDecimal(fields[1], axis.minimum) || !parseDecimal(fields[2], axis.maximum) ||
        !parseDecimal(fields[3], axis.fuzz) || !parseDecimal(fields[4], axis.flat) ||
        (fields.size() == 6 && !parseDecimal(fields[5], axis.resolution))) {
      return "A: line must be 'A: CODE MIN MAX FUZZ FLAT [RESOLUTION]' (code in hexadecimal)";
    }
    if (axis.minimum > axis.maximum) {
      detail_ = std::to_string(axis.minimum) + " > " + std::to_string(axis.maximum);
      return "A: line has its minimum above its maximum: ";
    }
    for (EvemuRecording::Axis& existing : recording_.axes) {
      if (existing.code == axis.code) {
        existing = axis;
        return {};
      }
    }
    recording_.axes.push_back(axis);
    return {};
  }

  // LED and switch states (`L: CODE VALUE`, `S: CODE VALUE`) describe the device; the replay has
  // no use for them but they are checked like every other line.
  std::string_view parseState(char kind, std::string_view rest) {
    Fields<> fields(rest);
    std::uint16_t code = 0;
    std::int32_t value = 0;
    if (fields.size() != 2 || !parseHex(fields[0], code) || !parseDecimal(fields[1], value)) {
      return kind == 'L' ? "L: line must be 'L: CODE VALUE'" : "S: line must be 'S: CODE VALUE'";
    }
    return {};
  }

  // An event line as evemu-record writes it, in a text known to hold no NUL byte; false for
  // anything else, left to the general rules.
  bool readCanonicalEvent(std::string_view line) {
    if (line.size() < 4 || line[0] != 'E' || line[1] != ':') {
      return false;
    }
    EvemuRecording::Event event;
    if (!EventLine(line.substr(2))
             .read(event.timeMicroseconds, event.type, event.code, event.value) ||
        (sawEvent_ && event.timeMicroseconds < lastTime_)) {
      return false;
    }
    sawEvent_ = true;
    lastTime_ = event.timeMicroseconds;
    recording_.events.push_back(event);
    return true;
  }

  std::string_view parseEvent(std::string_view rest) {
    Fields<5> fields(rest);
    if (fields.size() != 4) {
      return "E: line must be 'E: SECONDS.MICROSECONDS TYPE CODE VALUE'";
    }
    EvemuRecording::Event event;
    if (!parseTime(fields[0], event.timeMicroseconds)) {
      detail_ = quoted(fields[0]);
      return "event time must be SECONDS.MICROSECONDS with six digits, not ";
    }
    if (fields[1].size() > 4 || !parseHex(fields[1], event.type)) {
      detail_ = quoted(fields[1]);
      return "event type must be hexadecimal (up to 4 digits), not ";
    }
    if (fields[2].size() > 4 || !parseHex(fields[2], event.code)) {
      detail_ = quoted(fields[2]);
      return "event code must be hexadecimal (up to 4 digits), not ";
    }
    if (!parseDecimal(fields[3], event.value)) {
      detail_ = quoted(fields[3]);
      return "event value must be a 32-bit decimal integer, not ";
    }
    // The replay runs on one timeline; a step back in time cannot be replayed faithfully.
    if (sawEvent_ && event.timeMicroseconds < lastTime_) {
      detail_ = std::string(fields[0]);
      return "event time goes backwards: ";
    }
    sawEvent_ = true;
    lastTime_ = event.timeMicroseconds;
    recording_.events.push_back(event);
    return {};
  }

  const std::string& name_;
  std::optional<InputError> error_;
  bool noNul_ = false;
  EvemuRecording recording_;
  std::string detail_;
  bool sawEvent_ = false;
  std::int64_t lastTime_ = 0;
  std::size_t lineNumber_ = 0;
};

}  // namespace

EvemuReader::Result EvemuReader::read(std::string_view text, const std::string& name) {
  Parser parser(name);
  parser.expect(text.size());
  parser.readLines(text);
  return parser.finish(text);
}

// The file is read a piece at a time and each piece's lines as it comes: a long recording is
// never held whole, nor copied.
EvemuReader::Result EvemuReader::readFile(const std::string& path) {
  Parser parser(path);
  std::error_code unknownSize;
  const std::uintmax_t bytes = std::filesystem::file_size(path, unknownSize);
  if (!unknownSize && bytes <= InputFile::maximumBytes) {
    parser.expect(static_cast<std::size_t>(bytes));
  }
  std::string carried;  // a line split between two pieces
  // Only a regular file of sane size: a FIFO or a device would block or never end.
  std::string reason;
  const bool read = InputFile::readInPieces(path, &reason, [&](std::string_view piece) {
    if (!carried.empty()) {
      const std::size_t newline = piece.find('\n');
      carried.append(
          piece.substr(0, newline == std::string_view::npos ? piece.size() : newline + 1));
      if (newline == std::string_view::npos) {
        return true;
      }
      piece.remove_prefix(newline + 1);
      std::string_view line = carried;
      if (!parser.readLines(line)) {
        return false;
      }
    }
    if (!parser.readLines(piece)) {
      return false;
    }
    carried.assign(piece);
    return true;
  });
  if (!read) {
    return InputError::fileAccess(path, "cannot open: " + reason);
  }
  return parser.finish(carried);
}

}  // namespace tactora::platform
