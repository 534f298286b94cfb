#include "Tactora/config/CommandText.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace tactora {

namespace {

// One character of the command (or one byte that is not UTF-8) as it is listed.
struct Piece {
  std::string shown;
  std::size_t length = 0;  // characters of `shown`, all ASCII for an escape
};

std::string hexEscape(const char* format, std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(value));
  return text;
}

// Characters that draw as nothing, or that change how the text around them is drawn: bidirectional
// marks, embeddings, overrides and isolates; zero-width spaces and joiners; the line and paragraph
// separators, which break a line in a label; soft hyphen, word joiner, invisible operators and the
// byte order mark.
bool isInvisible(std::uint32_t c) {
  return c == 0x00AD || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) ||
         (c >= 0x2066 && c <= 0x206F) || c == 0xFEFF;
}

Piece character(std::uint32_t c, std::string_view bytes) {
  switch (c) {
    case '\n':
      return {"\\n", 2};
    case '\r':
      return {"\\r", 2};
    case '\t':
      return {"\\t", 2};
    default:
      break;
  }
  if (c < 0x20 || c == 0x7F) {
    return {hexEscape("\\x%02X", c), 4};
  }
  if ((c >= 0x80 && c <= 0x9F) || isInvisible(c)) {
    return {hexEscape("\\u%04X", c), 6};
  }
  return {std::string(bytes), 1};
}

// The command character by character; a byte that does not start a well-formed UTF-8 sequence
// (overlong forms and surrogates included) is listed as "\xNN" on its own.
std::vector<Piece> pieces(std::string_view text) {
  std::vector<Piece> result;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    std::uint32_t c = length == 1   ? lead
                      : length == 2 ? lead & 0x1F
                      : length == 3 ? lead & 0x0F
                                    : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      if ((next & 0xC0) != 0x80) {
        length = 0;
        break;
      }
      c = (c << 6) | (next & 0x3F);
    }
    // Two-byte forms from 0xC2 on are never overlong; three- and four-byte ones are checked here.
    const bool wellFormed = length == 1 || length == 2 ||
                            (length == 3 && c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) ||
                            (length == 4 && c >= 0x10000 && c <= 0x10FFFF);
    if (length == 0 || !wellFormed) {
      result.push_back({hexEscape("\\x%02X", lead), 4});
      ++i;
      continue;
    }
    result.push_back(character(c, text.substr(i, length)));
    i += length;
  }
  return result;
}

}  // namespace

std::string CommandText::escaped(std::string_view command) {
  std::string shown;
  for (const Piece& piece : pieces(command)) {
    shown += piece.shown;
  }
  return shown;
}

std::string CommandText::shortened(std::string_view command, bool* cut) {
  const std::vector<Piece> all = pieces(command);
  std::string shown;
  std::size_t length = 0;
  std::size_t taken = 0;
  // An escape is kept whole or left out whole, so a cut never leaves half of one.
  while (taken < all.size() && length + all[taken].length <= shownCharacters) {
    shown += all[taken].shown;
    length += all[taken].length;
    ++taken;
  }
  if (cut != nullptr) {
    *cut = taken < all.size();
  }
  if (taken < all.size()) {
    shown += " \u2026 (" + std::to_string(all.size() - taken) + " more characters)";
  }
  return shown;
}

}  // namespace tactora
