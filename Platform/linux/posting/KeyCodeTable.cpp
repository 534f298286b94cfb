#include "Platform/linux/posting/KeyCodeTable.h"

#include <linux/input-event-codes.h>

#include <array>

namespace tactora::lx {

namespace {

// Configuration key code (the event system's numbering) → kernel key. Positional: a key is the
// one at the same place on the keyboard, so a layout maps both the same way. Notes:
// - 10 is the ISO keyboard's extra key (KEY_102ND);
// - 51 "Delete" is the backspace key, 117 "forward delete" the Delete key;
// - 114 "Help" sits where PC keyboards have Insert, and is Insert here (KEY_HELP is reserved);
// - 71 "Clear" on the keypad sits where Num Lock is;
// - 110 is the context-menu key (KEY_COMPOSE on PC keyboards);
// - Command, Option and Control keys follow the modifier convention (Command ↔ Ctrl,
//   Option ↔ Alt, Control ↔ Super).
constexpr KeyCodeTable::Entry table[] = {
    {0, KEY_A},           {1, KEY_S},          {2, KEY_D},           {3, KEY_F},
    {4, KEY_H},           {5, KEY_G},          {6, KEY_Z},           {7, KEY_X},
    {8, KEY_C},           {9, KEY_V},          {10, KEY_102ND},      {11, KEY_B},
    {12, KEY_Q},          {13, KEY_W},         {14, KEY_E},          {15, KEY_R},
    {16, KEY_Y},          {17, KEY_T},         {18, KEY_1},          {19, KEY_2},
    {20, KEY_3},          {21, KEY_4},         {22, KEY_6},          {23, KEY_5},
    {24, KEY_EQUAL},      {25, KEY_9},         {26, KEY_7},          {27, KEY_MINUS},
    {28, KEY_8},          {29, KEY_0},         {30, KEY_RIGHTBRACE}, {31, KEY_O},
    {32, KEY_U},          {33, KEY_LEFTBRACE}, {34, KEY_I},          {35, KEY_P},
    {36, KEY_ENTER},      {37, KEY_L},         {38, KEY_J},          {39, KEY_APOSTROPHE},
    {40, KEY_K},          {41, KEY_SEMICOLON}, {42, KEY_BACKSLASH},  {43, KEY_COMMA},
    {44, KEY_SLASH},      {45, KEY_N},         {46, KEY_M},          {47, KEY_DOT},
    {48, KEY_TAB},        {49, KEY_SPACE},     {50, KEY_GRAVE},      {51, KEY_BACKSPACE},
    {53, KEY_ESC},        {54, KEY_RIGHTCTRL},                     // right Command
    {55, KEY_LEFTCTRL},                                            // Command
    {56, KEY_LEFTSHIFT},  {57, KEY_CAPSLOCK},  {58, KEY_LEFTALT},  // Option
    {59, KEY_LEFTMETA},                                            // Control
    {60, KEY_RIGHTSHIFT}, {61, KEY_RIGHTALT},                      // right Option
    {62, KEY_RIGHTMETA},                                           // right Control
    {63, KEY_FN},         {64, KEY_F17},       {65, KEY_KPDOT},      {67, KEY_KPASTERISK},
    {69, KEY_KPPLUS},     {71, KEY_NUMLOCK},   {72, KEY_VOLUMEUP},   {73, KEY_VOLUMEDOWN},
    {74, KEY_MUTE},       {75, KEY_KPSLASH},   {76, KEY_KPENTER},    {78, KEY_KPMINUS},
    {79, KEY_F18},        {80, KEY_F19},       {81, KEY_KPEQUAL},    {82, KEY_KP0},
    {83, KEY_KP1},        {84, KEY_KP2},       {85, KEY_KP3},        {86, KEY_KP4},
    {87, KEY_KP5},        {88, KEY_KP6},       {89, KEY_KP7},        {90, KEY_F20},
    {91, KEY_KP8},        {92, KEY_KP9},       {93, KEY_YEN},        {94, KEY_RO},
    {95, KEY_KPJPCOMMA},  {96, KEY_F5},        {97, KEY_F6},         {98, KEY_F7},
    {99, KEY_F3},         {100, KEY_F8},       {101, KEY_F9},        {103, KEY_F11},
    {105, KEY_F13},       {106, KEY_F16},      {107, KEY_F14},       {109, KEY_F10},
    {110, KEY_COMPOSE},                                            // context menu
    {111, KEY_F12},       {113, KEY_F15},      {114, KEY_INSERT},  // Help
    {115, KEY_HOME},      {116, KEY_PAGEUP},   {117, KEY_DELETE},  // forward delete
    {118, KEY_F4},        {119, KEY_END},      {120, KEY_F2},        {121, KEY_PAGEDOWN},
    {122, KEY_F1},        {123, KEY_LEFT},     {124, KEY_RIGHT},     {125, KEY_DOWN},
    {126, KEY_UP},
};

constexpr std::uint16_t tableKeyCodeLimit = 0x80;
constexpr std::uint16_t none = 0xFFFF;

// Both directions as direct indexes, built from the one table at compile time.
struct Indexes {
  std::array<std::uint16_t, tableKeyCodeLimit> toLinux{};
  std::array<std::uint16_t, KEY_CNT> toKeyCode{};
};

constexpr Indexes buildIndexes() {
  Indexes indexes;
  indexes.toLinux.fill(none);
  indexes.toKeyCode.fill(none);
  for (const auto& entry : table) {
    indexes.toLinux[entry.keyCode] = entry.linuxKey;
    indexes.toKeyCode[entry.linuxKey] = entry.keyCode;
  }
  return indexes;
}

constexpr Indexes indexes = buildIndexes();

// Each side of the table names each key once, or a round trip would not come back.
constexpr bool tableIsOneToOne() {
  for (const auto& entry : table) {
    if (entry.keyCode >= tableKeyCodeLimit || indexes.toLinux[entry.keyCode] != entry.linuxKey ||
        indexes.toKeyCode[entry.linuxKey] != entry.keyCode) {
      return false;
    }
  }
  return true;
}
static_assert(tableIsOneToOne());
static_assert(KeyCodeTable::reservedBase >= tableKeyCodeLimit);

}  // namespace

std::span<const KeyCodeTable::Entry> KeyCodeTable::entries() {
  return table;
}

bool KeyCodeTable::isKeyboardKey(std::uint16_t linuxKey) {
  if (linuxKey == KEY_RESERVED || linuxKey > KEY_MAX) {
    return false;
  }
  const bool button = (linuxKey >= BTN_MISC && linuxKey < KEY_OK) ||
                      (linuxKey >= BTN_DPAD_UP && linuxKey <= BTN_DPAD_RIGHT) ||
                      (linuxKey >= BTN_TRIGGER_HAPPY && linuxKey <= BTN_TRIGGER_HAPPY40);
  return !button;
}

std::optional<std::uint16_t> KeyCodeTable::linuxKey(std::uint16_t keyCode) {
  if (keyCode < tableKeyCodeLimit) {
    const std::uint16_t key = indexes.toLinux[keyCode];
    return key == none ? std::nullopt : std::optional<std::uint16_t>(key);
  }
  if (keyCode < reservedBase) {
    return std::nullopt;
  }
  const std::uint32_t reserved = keyCode - reservedBase;
  // Only keys without an equivalent live in the reserved range: the others have one name.
  if (reserved > KEY_MAX || !isKeyboardKey(static_cast<std::uint16_t>(reserved)) ||
      indexes.toKeyCode[reserved] != none) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(reserved);
}

std::optional<std::uint16_t> KeyCodeTable::keyCode(std::uint16_t linuxKey) {
  if (!isKeyboardKey(linuxKey)) {
    return std::nullopt;
  }
  const std::uint16_t code = indexes.toKeyCode[linuxKey];
  if (code != none) {
    return code;
  }
  return static_cast<std::uint16_t>(reservedBase + linuxKey);
}

}  // namespace tactora::lx
