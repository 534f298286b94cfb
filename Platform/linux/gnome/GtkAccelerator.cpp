#include "Platform/linux/gnome/GtkAccelerator.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cctype>

#include "Platform/HotKeyValue.h"
#include "Platform/linux/posting/KeyCodeTable.h"

namespace tactora::lx {

namespace {

using namespace platform::hotKeyModifier;

struct ModifierName {
  std::string_view name;
  std::uint32_t bit;
};

// GTK's modifier names and the hot-key bits they stand for. Ctrl is Command and Super is Control,
// the convention synthesized events follow, so a binding read here replays as the same keys.
constexpr ModifierName modifierNames[] = {
    {"shift", shift},   {"shft", shift},      {"control", command}, {"ctrl", command},
    {"ctl", command},   {"primary", command}, {"alt", option},      {"mod1", option},
    {"super", control}, {"meta", control},    {"hyper", control},   {"mod4", control},
};

struct KeyName {
  std::string_view name;
  std::uint16_t linuxKey;
  std::uint32_t impliedModifiers = 0;
};

// Key names as GTK writes them (the X keysym names) and the kernel key at their place on a US
// keyboard. A binding names the key by its unshifted symbol; ISO_Left_Tab is the symbol of
// Shift+Tab, so it brings its Shift along.
constexpr KeyName keyNames[] = {
    {"a", KEY_A},
    {"b", KEY_B},
    {"c", KEY_C},
    {"d", KEY_D},
    {"e", KEY_E},
    {"f", KEY_F},
    {"g", KEY_G},
    {"h", KEY_H},
    {"i", KEY_I},
    {"j", KEY_J},
    {"k", KEY_K},
    {"l", KEY_L},
    {"m", KEY_M},
    {"n", KEY_N},
    {"o", KEY_O},
    {"p", KEY_P},
    {"q", KEY_Q},
    {"r", KEY_R},
    {"s", KEY_S},
    {"t", KEY_T},
    {"u", KEY_U},
    {"v", KEY_V},
    {"w", KEY_W},
    {"x", KEY_X},
    {"y", KEY_Y},
    {"z", KEY_Z},
    {"0", KEY_0},
    {"1", KEY_1},
    {"2", KEY_2},
    {"3", KEY_3},
    {"4", KEY_4},
    {"5", KEY_5},
    {"6", KEY_6},
    {"7", KEY_7},
    {"8", KEY_8},
    {"9", KEY_9},
    {"F1", KEY_F1},
    {"F2", KEY_F2},
    {"F3", KEY_F3},
    {"F4", KEY_F4},
    {"F5", KEY_F5},
    {"F6", KEY_F6},
    {"F7", KEY_F7},
    {"F8", KEY_F8},
    {"F9", KEY_F9},
    {"F10", KEY_F10},
    {"F11", KEY_F11},
    {"F12", KEY_F12},
    {"F13", KEY_F13},
    {"F14", KEY_F14},
    {"F15", KEY_F15},
    {"F16", KEY_F16},
    {"F17", KEY_F17},
    {"F18", KEY_F18},
    {"F19", KEY_F19},
    {"F20", KEY_F20},
    {"F21", KEY_F21},
    {"F22", KEY_F22},
    {"F23", KEY_F23},
    {"F24", KEY_F24},
    {"Left", KEY_LEFT},
    {"Right", KEY_RIGHT},
    {"Up", KEY_UP},
    {"Down", KEY_DOWN},
    {"Page_Up", KEY_PAGEUP},
    {"Prior", KEY_PAGEUP},
    {"Page_Down", KEY_PAGEDOWN},
    {"Next", KEY_PAGEDOWN},
    {"Home", KEY_HOME},
    {"End", KEY_END},
    {"Insert", KEY_INSERT},
    {"Delete", KEY_DELETE},
    {"BackSpace", KEY_BACKSPACE},
    {"Return", KEY_ENTER},
    {"Tab", KEY_TAB},
    {"ISO_Left_Tab", KEY_TAB, shift},
    {"space", KEY_SPACE},
    {"Escape", KEY_ESC},
    {"Menu", KEY_COMPOSE},
    {"Print", KEY_SYSRQ},
    {"Scroll_Lock", KEY_SCROLLLOCK},
    {"Pause", KEY_PAUSE},
    {"Caps_Lock", KEY_CAPSLOCK},
    {"Num_Lock", KEY_NUMLOCK},
    {"minus", KEY_MINUS},
    {"equal", KEY_EQUAL},
    {"bracketleft", KEY_LEFTBRACE},
    {"bracketright", KEY_RIGHTBRACE},
    {"semicolon", KEY_SEMICOLON},
    {"apostrophe", KEY_APOSTROPHE},
    {"grave", KEY_GRAVE},
    {"backslash", KEY_BACKSLASH},
    {"comma", KEY_COMMA},
    {"period", KEY_DOT},
    {"slash", KEY_SLASH},
    {"less", KEY_102ND},
    // The window manager's name for the key above Tab, whatever it prints.
    {"Above_Tab", KEY_GRAVE},
    {"KP_0", KEY_KP0},
    {"KP_1", KEY_KP1},
    {"KP_2", KEY_KP2},
    {"KP_3", KEY_KP3},
    {"KP_4", KEY_KP4},
    {"KP_5", KEY_KP5},
    {"KP_6", KEY_KP6},
    {"KP_7", KEY_KP7},
    {"KP_8", KEY_KP8},
    {"KP_9", KEY_KP9},
    {"KP_Insert", KEY_KP0},
    {"KP_End", KEY_KP1},
    {"KP_Down", KEY_KP2},
    {"KP_Page_Down", KEY_KP3},
    {"KP_Next", KEY_KP3},
    {"KP_Left", KEY_KP4},
    {"KP_Begin", KEY_KP5},
    {"KP_Right", KEY_KP6},
    {"KP_Home", KEY_KP7},
    {"KP_Up", KEY_KP8},
    {"KP_Page_Up", KEY_KP9},
    {"KP_Prior", KEY_KP9},
    {"KP_Decimal", KEY_KPDOT},
    {"KP_Delete", KEY_KPDOT},
    {"KP_Separator", KEY_KPCOMMA},
    {"KP_Enter", KEY_KPENTER},
    {"KP_Add", KEY_KPPLUS},
    {"KP_Subtract", KEY_KPMINUS},
    {"KP_Multiply", KEY_KPASTERISK},
    {"KP_Divide", KEY_KPSLASH},
    {"KP_Equal", KEY_KPEQUAL},
    {"Shift_L", KEY_LEFTSHIFT},
    {"Shift_R", KEY_RIGHTSHIFT},
    {"Control_L", KEY_LEFTCTRL},
    {"Control_R", KEY_RIGHTCTRL},
    {"Alt_L", KEY_LEFTALT},
    {"Alt_R", KEY_RIGHTALT},
    {"Super_L", KEY_LEFTMETA},
    {"Super_R", KEY_RIGHTMETA},
    {"XF86AudioMute", KEY_MUTE},
    {"XF86AudioLowerVolume", KEY_VOLUMEDOWN},
    {"XF86AudioRaiseVolume", KEY_VOLUMEUP},
    {"XF86AudioPlay", KEY_PLAYPAUSE},
    {"XF86AudioStop", KEY_STOPCD},
    {"XF86AudioPrev", KEY_PREVIOUSSONG},
    {"XF86AudioNext", KEY_NEXTSONG},
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

const KeyName* findKey(std::string_view name) {
  const auto* found =
      std::find_if(std::begin(keyNames), std::end(keyNames),
                   [&](const KeyName& key) { return equalsIgnoringCase(key.name, name); });
  return found == std::end(keyNames) ? nullptr : found;
}

std::optional<std::uint32_t> modifierBit(std::string_view name) {
  for (const auto& modifier : modifierNames) {
    if (equalsIgnoringCase(modifier.name, name)) {
      return modifier.bit;
    }
  }
  return std::nullopt;
}

std::string_view trimmed(std::string_view text) {
  const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && isSpace(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isSpace(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::optional<std::uint16_t> GtkAccelerator::linuxKey(std::string_view keyName) {
  const KeyName* key = findKey(keyName);
  return key == nullptr ? std::nullopt : std::optional<std::uint16_t>(key->linuxKey);
}

std::optional<KeyBinding> GtkAccelerator::parse(std::string_view accelerator) {
  std::string_view rest = trimmed(accelerator);
  std::uint32_t modifiers = 0;
  while (!rest.empty() && rest.front() == '<') {
    const std::size_t close = rest.find('>');
    if (close == std::string_view::npos) {
      return std::nullopt;
    }
    const std::optional<std::uint32_t> bit = modifierBit(rest.substr(1, close - 1));
    if (!bit) {
      return std::nullopt;
    }
    modifiers |= *bit;
    rest.remove_prefix(close + 1);
  }
  // "disabled" is GNOME's word for a binding switched off; it is no key name, so it ends here
  // like any other name not in the table.
  const KeyName* key = findKey(rest);
  if (key == nullptr) {
    return std::nullopt;
  }
  const std::optional<std::uint16_t> keyCode = KeyCodeTable::keyCode(key->linuxKey);
  if (!keyCode) {
    return std::nullopt;
  }
  return KeyBinding{*keyCode, modifiers | key->impliedModifiers};
}

}  // namespace tactora::lx
