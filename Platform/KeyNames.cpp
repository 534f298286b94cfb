#include "Platform/KeyNames.h"

namespace tactora::platform {

namespace {

// Key code → name. The numbering is positional and out of order (18 is "1", 23 is "5"); 36 is
// the main Return key and 76 the keypad's Enter; 51 is Backspace and 117 the Delete key; 114 sits
// where PC keyboards have Insert; 110 is the context-menu key; 67 and 69 are the keypad's * and +.
constexpr KeyNames::Entry table[] = {
    {0, "A"},
    {1, "S"},
    {2, "D"},
    {3, "F"},
    {4, "H"},
    {5, "G"},
    {6, "Z"},
    {7, "X"},
    {8, "C"},
    {9, "V"},
    {11, "B"},
    {12, "Q"},
    {13, "W"},
    {14, "E"},
    {15, "R"},
    {16, "Y"},
    {17, "T"},
    {18, "1"},
    {19, "2"},
    {20, "3"},
    {21, "4"},
    {22, "6"},
    {23, "5"},
    {24, "="},
    {25, "9"},
    {26, "7"},
    {27, "-"},
    {28, "8"},
    {29, "0"},
    {30, "]"},
    {31, "O"},
    {32, "U"},
    {33, "["},
    {34, "I"},
    {35, "P"},
    {36, "Return"},
    {37, "L"},
    {38, "J"},
    {39, "'"},
    {40, "K"},
    {41, ";"},
    {42, "\\"},
    {43, ","},
    {44, "/"},
    {45, "N"},
    {46, "M"},
    {47, "."},
    {48, "Tab"},
    {49, "Space"},
    {50, "`"},
    {51, "Backspace"},
    {53, "Esc"},
    {64, "F17"},
    {67, "*"},
    {69, "+"},
    {72, "Volume Up"},
    {73, "Volume Down"},
    {74, "Volume Mute"},
    {76, "Enter"},
    {79, "F18"},
    {80, "F19"},
    {90, "F20"},
    {96, "F5"},
    {97, "F6"},
    {98, "F7"},
    {99, "F3"},
    {100, "F8"},
    {101, "F9"},
    {103, "F11"},
    {105, "F13"},
    {106, "F16"},
    {107, "F14"},
    {109, "F10"},
    {110, "Menu"},
    {111, "F12"},
    {113, "F15"},
    {114, "Ins"},
    {115, "Home"},
    {116, "PgUp"},
    {117, "Del"},
    {118, "F4"},
    {119, "End"},
    {120, "F2"},
    {121, "PgDown"},
    {122, "F1"},
    {123, "Left"},
    {124, "Right"},
    {125, "Down"},
    {126, "Up"},
};

// What a toolkit reports for a key pressed with Shift on a US layout, and the key it is on.
// "*" and "+" are absent: they name the keypad's keys, which have no Shift to report.
constexpr KeyNames::Entry shiftedSymbols[] = {
    {18, "!"}, {19, "@"}, {20, "#"}, {21, "$"}, {23, "%"}, {22, "^"},       {26, "&"},
    {25, "("}, {29, ")"}, {27, "_"}, {33, "{"}, {30, "}"}, {41, ":"},       {39, "\""},
    {50, "~"}, {42, "|"}, {43, "<"}, {47, ">"}, {44, "?"}, {48, "Backtab"},
};

}  // namespace

std::span<const KeyNames::Entry> KeyNames::entries() {
  return table;
}

std::optional<std::string_view> KeyNames::name(std::uint16_t keyCode) {
  for (const auto& entry : table) {
    if (entry.keyCode == keyCode) {
      return entry.name;
    }
  }
  return std::nullopt;
}

std::optional<std::uint16_t> KeyNames::keyCode(std::string_view name) {
  for (const auto& entries :
       {std::span<const Entry>(table), std::span<const Entry>(shiftedSymbols)}) {
    for (const auto& entry : entries) {
      if (entry.name == name) {
        return entry.keyCode;
      }
    }
  }
  return std::nullopt;
}

}  // namespace tactora::platform
