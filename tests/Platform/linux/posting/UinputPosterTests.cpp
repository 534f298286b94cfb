// What reaches the kernel for each action: ActionKit runs on the simulated platform, every event
// it posts goes through the poster, and the reports written to two pipes (the keyboard and the
// pointer) are read back in order, with the pauses between them.

#include "Platform/linux/posting/UinputPoster.h"

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ActionKit/ActionDispatcher.h"
#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "Platform/KeyNames.h"
#include "Platform/linux/input/UinputWriter.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/posting/FixedShortcutTable.h"
#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/LinuxKeyboardKeys.h"
#include "Platform/linux/posting/ModifierKeys.h"
#include "Platform/sim/SimPlatform.h"
#include "tests/Platform/linux/EventPipe.h"

namespace tactora::lx {
namespace {

using Case = Action::Case;
using Lines = std::vector<std::string>;

class UinputPosterTest : public ::testing::TestWithParam<DesktopFamily> {
 protected:
  UinputPosterTest() {
    sim->events().setPostedObserver([this](const sim::SimEvents::PostedEvent& posted) {
      EXPECT_TRUE(poster_.post(posted.event));
      drain();
    });
  }

  // Reports written since the last call, keyboard and pointer in the order they were written.
  Lines take() {
    drain();
    return std::exchange(lines_, {});
  }

  void drain() {
    for (const auto& [pipe, name] :
         {std::pair{&keyboard_, "keyboard"}, {&pointer_, "pointer"}, {&clone_, "clone"}}) {
      for (const std::string& report : pipe->reports()) {
        lines_.push_back(name + (" " + report));
      }
    }
  }

  std::shared_ptr<sim::SimPlatform> sim = sim::SimPlatform::install();
  bool pointerKnown_ = true;
  std::uint64_t cloneId = 0;

 private:
  EventPipe keyboard_;
  EventPipe pointer_;
  EventPipe clone_;
  Lines lines_;
  UinputPoster poster_{
      keyboard_.write.get(), pointer_.write.get(),
      UinputPoster::Options{
          GetParam(),
          [this](double seconds) {
            drain();
            char text[32];
            std::snprintf(text, sizeof text, "pause %.3f", seconds);
            lines_.push_back(text);
          },
          [this]() -> std::optional<platform::Point> {
            return pointerKnown_ ? std::optional(sim->events().pointer()) : std::nullopt;
          },
          [this](std::span<const input_event> events, std::uint64_t wanted) -> std::uint64_t {
            // The mouse's clone, as the provider keeps it: `cloneId` while
            // the mouse is held, 0 without one.
            if (cloneId == 0 || (wanted != 0 && wanted != cloneId) ||
                !UinputWriter(clone_.write.get()).writeReport(events)) {
              return 0;
            }
            return cloneId;
          }}};
};

Lines operator+(Lines first, const Lines& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// A chord pressed and let go: modifiers before the key, released after it in reverse order.
Lines chord(const std::vector<std::string>& modifiers, const std::string& key) {
  std::string down = "keyboard";
  std::string up = "keyboard -" + key;
  for (std::size_t i = 0; i < modifiers.size(); ++i) {
    down += " +" + modifiers[i];
    up += " -" + modifiers[modifiers.size() - 1 - i];
  }
  return {down + " +" + key, up};
}

TEST_P(UinputPosterTest, EveryActionWritesWhatTheDesktopExpects) {
  ActionDispatcher dispatcher;
  // What each desktop binds to hiding a window and to cycling an application's windows.
  const std::map<DesktopFamily, std::pair<Lines, Lines>> fixed = {
      {DesktopFamily::gnome, {chord({"LEFTMETA"}, "H"), chord({"LEFTMETA"}, "GRAVE")}},
      {DesktopFamily::kde, {chord({"LEFTMETA"}, "PAGEDOWN"), chord({"LEFTALT"}, "GRAVE")}},
      {DesktopFamily::other, {chord({"LEFTALT"}, "F9"), chord({"LEFTALT"}, "GRAVE")}}};
  const auto& [hide, cycle] = fixed.at(GetParam());
  const Lines press{"pointer +BTN_LEFT"};
  const Lines release{"pointer -BTN_LEFT"};
  // Clicks of a double or triple click 40 ms apart: past libinput's 25 ms debounce, which drops a
  // press that follows a release sooner, and well inside the desktops' 400 ms double-click time.
  const Lines gap{"pause 0.040"};
  const Lines altHeld{"keyboard +LEFTALT"};
  const Lines altLetGo{"keyboard -LEFTALT"};
  const std::pair<Action, Lines> table[] = {
      {Action(Case::none), {}},
      {Action(Case::leftClick), press + release},
      {Action(Case::rightClick), {"pointer +BTN_RIGHT", "pointer -BTN_RIGHT"}},
      {Action(Case::middleClick), {"pointer +BTN_MIDDLE", "pointer -BTN_MIDDLE"}},
      {Action(Case::doubleClick), press + gap + release + gap + press + release},
      {Action(Case::tripleClick),
       press + gap + release + gap + press + gap + release + gap + press + release},
      {Action(Case::missionControl), {}},
      {Action(Case::appExpose), {}},
      {Action(Case::showDesktop), {}},
      // The sim's bindings, Control-Left and Control-Right, are the recorded keys: Super here.
      {Action(Case::spaceLeft), chord({"LEFTMETA"}, "LEFT")},
      {Action(Case::spaceRight), chord({"LEFTMETA"}, "RIGHT")},
      {Action(Case::closeFocusedWindow), {}},  // the close button was pressed
      {Action(Case::hideApp), hide},
      {Action(Case::minimizeWindow), hide},
      {Action(Case::cycleWindows), cycle},
      {Action(Case::zoomIn), chord({"LEFTCTRL"}, "KPPLUS")},
      {Action(Case::zoomOut), chord({"LEFTCTRL"}, "KPMINUS")},
      {Action(Case::navigateBack), chord({"LEFTALT"}, "LEFT")},
      {Action(Case::navigateForward), chord({"LEFTALT"}, "RIGHT")},
      {Action(Case::appSwitcher), chord({"LEFTALT"}, "TAB")},
      // Released by the test right after the step.
      {Action(Case::appSwitcherNext), altHeld + chord({}, "TAB") + altLetGo},
      {Action(Case::appSwitcherPrevious), altHeld + chord({"LEFTSHIFT"}, "TAB") + altLetGo},
      // Recorded shortcuts go out as recorded: Command-Shift-H is Ctrl+Shift+H, not a hide.
      {Action::keyShortcut(4, 0x120000), chord({"LEFTCTRL", "LEFTSHIFT"}, "H")},
      {Action::keyShortcut(48, 0x100000), chord({"LEFTCTRL"}, "TAB")},
      {Action::keyShortcut(0, 0), chord({}, "A")},
      {Action::keyShortcut(0x1000 + KEY_PLAYPAUSE, 0x40000), chord({"LEFTMETA"}, "PLAYPAUSE")},
      {Action::keyShortcut(52, 0x100000), {}},  // no such key: not even the modifier
      {Action::shellCommand("true"), {}},
  };
  for (const auto& [action, expected] : table) {
    SCOPED_TRACE(action.description());
    dispatcher.perform(action);
    AppSwitcher::shared().release();
    EXPECT_EQ(take(), expected);
  }

  // Without the close button, the desktop's close binding rather than a tab-closing Ctrl+W.
  sim->accessibility().failStep(sim::SimAccessibility::Step::closeButton);
  dispatcher.perform(Action(Case::closeFocusedWindow));
  EXPECT_EQ(take(), chord({"LEFTALT"}, "F4"));

  // A workspace binding with every modifier: Ctrl, Alt, Super and Shift pressed in that order.
  sim->systemBridges().setHotKey(81, {0, 124, 0x100 | 0x800 | 0x1000 | 0x200, true});
  dispatcher.perform(Action(Case::spaceRight));
  EXPECT_EQ(take(), chord({"LEFTCTRL", "LEFTALT", "LEFTMETA", "LEFTSHIFT"}, "RIGHT"));

  // How long the switcher holds Alt is the switcher's business; here Alt stays down across its
  // steps and around a recorded shortcut, and goes up once.
  dispatcher.perform(Action(Case::appSwitcherNext));
  dispatcher.perform(Action(Case::appSwitcherPrevious));
  dispatcher.perform(Action::keyShortcut(0, 0x100000));
  AppSwitcher::shared().release();
  EXPECT_EQ(take(), (Lines{"keyboard +LEFTALT"} + chord({}, "TAB") + chord({"LEFTSHIFT"}, "TAB") +
                     chord({"LEFTCTRL"}, "A") + Lines{"keyboard -LEFTALT"}));
}

TEST_P(UinputPosterTest, ScrollsWriteHiResUnitsAndTheDetentsTheyComplete) {
  auto& scroll = SyntheticScroll::shared();
  scroll.scroll(0, 50);  // one detent of pixels, up
  scroll.scroll(0, 20);
  scroll.scroll(0, 20);
  scroll.scroll(0, 20);  // 144 units since the last detent: one more
  scroll.scroll(0, -1);  // a turn starts afresh
  scroll.scroll(0, -1);
  scroll.scroll(0, -1);
  scroll.scroll(10, 0);  // towards the left, which the kernel counts negative
  EXPECT_EQ(take(), (Lines{"pointer WHEEL_HI_RES 120 WHEEL 1", "pointer WHEEL_HI_RES 48",
                           "pointer WHEEL_HI_RES 48", "pointer WHEEL_HI_RES 48 WHEEL 1",
                           "pointer WHEEL_HI_RES -2", "pointer WHEEL_HI_RES -2",
                           "pointer WHEEL_HI_RES -3", "pointer HWHEEL_HI_RES -24"}));
}

// Drags hold the button and move only where the pointer lags; pointer input goes to the mouse's
// clone while there is one, and each release to where its press went.
TEST_P(UinputPosterTest, DragsAndPointerInputGoWhereTheirPressesWent) {
  ActionDispatcher dispatcher;
  auto& drag = SyntheticDrag::shared();
  sim->events().setPointer({100, 200});
  drag.begin(std::nullopt);
  sim->events().setPointer({110, 195});  // the mouse itself moved the pointer
  drag.followCursor();
  drag.moveBy(1.6, -0.4);  // ahead of the pointer: moved there
  sim->events().setPointer({111.6, 194.6});
  drag.moveBy(-3, 0);
  drag.end();
  EXPECT_EQ(take(),
            (Lines{"pointer +BTN_LEFT", "pointer X 2", "pointer X -3", "pointer -BTN_LEFT"}));

  pointerKnown_ = false;
  drag.begin(platform::Point{5, 5});
  drag.moveBy(10, 10);
  drag.end();
  EXPECT_EQ(take(), (Lines{"pointer +BTN_LEFT", "pointer -BTN_LEFT"}))
      << "without the pointer's location no motion is guessed";
  pointerKnown_ = true;
  sim->events().setPointer({100, 100});
  cloneId = 1;
  dispatcher.perform(Action(Case::rightClick));
  SyntheticScroll::shared().scroll(0, 50);
  drag.begin(std::nullopt);
  drag.moveBy(3, 0);
  EXPECT_EQ(take(), (Lines{"clone +BTN_RIGHT", "clone -BTN_RIGHT", "clone WHEEL_HI_RES 120 WHEEL 1",
                           "clone +BTN_LEFT", "clone X 3"}));

  // The mouse leaves mid-drag: its clone's end released the button, so the drag's release goes
  // nowhere, and what follows uses our own pointer.
  cloneId = 0;
  drag.end();
  dispatcher.perform(Action(Case::leftClick));
  EXPECT_EQ(take(), (Lines{"pointer +BTN_LEFT", "pointer -BTN_LEFT"}));

  // Pressed on our own pointer, released there too, even once the mouse is back.
  drag.begin(std::nullopt);
  cloneId = 2;
  drag.moveBy(1, 0);
  drag.end();
  EXPECT_EQ(take(), (Lines{"pointer +BTN_LEFT", "clone X 1", "pointer -BTN_LEFT"}));

  // Pressed on one clone, the mouse plugged in again: the new clone never got the press.
  drag.begin(std::nullopt);
  cloneId = 3;
  drag.end();
  dispatcher.perform(Action(Case::middleClick));
  EXPECT_EQ(take(), (Lines{"clone +BTN_LEFT", "clone +BTN_MIDDLE", "clone -BTN_MIDDLE"}));
}

INSTANTIATE_TEST_SUITE_P(Desktops, UinputPosterTest,
                         ::testing::Values(DesktopFamily::gnome, DesktopFamily::kde,
                                           DesktopFamily::other),
                         [](const auto& info) {
                           return std::string(std::array{"GNOME", "KDE", "Other"}[info.index]);
                         });

// The translation tables between the configuration's key codes and flags and the kernel's keys,
// the keyboard the settings window names keys by, and the desktops' chords for the fixed
// shortcuts, checked by their properties rather than row by row.

using Code = std::optional<std::uint16_t>;
using Reading = platform::KeyboardKeys::Reading;
constexpr std::uint32_t xKeycodeOffset = 8;

// The names the settings window shows against the kernel's own names of the keys they post: a
// name that says one key and posts another records what the user did not press. Names not
// spelled "KEY_" and their upper case, as "|name KEY_NAME":
constexpr std::string_view kernelNames =
    "|Return KEY_ENTER|Enter KEY_KPENTER|Esc KEY_ESC|Del KEY_DELETE|Ins KEY_INSERT"
    "|PgUp KEY_PAGEUP|PgDown KEY_PAGEDOWN|Menu KEY_COMPOSE|Print KEY_SYSRQ|- KEY_MINUS"
    "|= KEY_EQUAL|[ KEY_LEFTBRACE|] KEY_RIGHTBRACE|; KEY_SEMICOLON|' KEY_APOSTROPHE"
    "|` KEY_GRAVE|\\ KEY_BACKSLASH|, KEY_COMMA|. KEY_DOT|/ KEY_SLASH|* KEY_KPASTERISK"
    "|+ KEY_KPPLUS|Volume Up KEY_VOLUMEUP|Volume Down KEY_VOLUMEDOWN|Volume Mute KEY_MUTE"
    "|Toggle Media Play/Pause KEY_PLAYPAUSE|Media Next KEY_NEXTSONG"
    "|Media Previous KEY_PREVIOUSSONG|Monitor Brightness Up KEY_BRIGHTNESSUP"
    "|Monitor Brightness Down KEY_BRIGHTNESSDOWN|";

// Every configuration code names at most one key and reads back from it, so no two codes post the
// same key; every keyboard key has a code (those without an equivalent in the reserved range,
// which stored files hold); buttons and codes beyond the keyboard have none. Each named code is
// the key its name says, named once, and that key's X keycode reads back as the code.
TEST(KeyCodeTable, EveryCodeKeyAndNameRoundTrips) {
  const LinuxKeyboardKeys keyboard;
  std::set<std::string_view> names;
  std::size_t shared = 0;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    const auto keyCode = static_cast<std::uint16_t>(code);
    const Code linuxKey = KeyCodeTable::linuxKey(keyCode);
    const auto name = keyboard.keyName(keyCode);
    ASSERT_TRUE(linuxKey || !name) << code;
    if (!linuxKey) {
      continue;
    }
    EXPECT_EQ(KeyCodeTable::keyCode(*linuxKey), Code(code)) << code;
    shared += code < KeyCodeTable::reservedBase ? 1 : 0;
    if (!name) {
      continue;
    }
    SCOPED_TRACE(std::string(*name));
    EXPECT_TRUE(names.insert(*name).second) << "named twice";
    EXPECT_EQ(keyboard.keyCode(*name), Code(keyCode));
    std::string expected = "KEY_";
    for (const char c : *name) {
      expected += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (const auto alias = kernelNames.find("|" + std::string(*name) + " KEY_");
        alias != std::string_view::npos) {
      const auto begin = alias + name->size() + 2;
      expected = kernelNames.substr(begin, kernelNames.find('|', begin) - begin);
    }
    EXPECT_STREQ(libevdev_event_code_get_name(EV_KEY, *linuxKey), expected.c_str());
    EXPECT_EQ(keyboard.readKeycode(*linuxKey + xKeycodeOffset),
              (platform::KeyboardKeys::KeyReading{Reading::key, keyCode}));
  }
  EXPECT_EQ(shared, KeyCodeTable::entries().size());
  EXPECT_EQ(names.size(), platform::KeyNames::entries().size() + 7) << "the Linux keys added";

  int reserved = 0;
  for (std::uint32_t key = 0; key <= KEY_CNT + 10; ++key) {
    const Code code = KeyCodeTable::keyCode(static_cast<std::uint16_t>(key));
    ASSERT_EQ(code.has_value(), KeyCodeTable::isKeyboardKey(static_cast<std::uint16_t>(key)))
        << key;
    if (code) {
      EXPECT_EQ(KeyCodeTable::linuxKey(*code), Code(key)) << key;
      reserved += *code >= KeyCodeTable::reservedBase ? 1 : 0;
      EXPECT_TRUE(*code < KeyCodeTable::reservedBase || *code == KeyCodeTable::reservedBase + key);
    }
  }
  EXPECT_GT(reserved, 400) << "media, browser and macro keys are all reachable";
  for (const std::uint32_t notAKey : {KEY_RESERVED, BTN_LEFT, BTN_TOUCH, BTN_GEAR_UP, BTN_DPAD_UP,
                                      BTN_TRIGGER_HAPPY1, KEY_MAX + 1}) {
    EXPECT_FALSE(KeyCodeTable::isKeyboardKey(static_cast<std::uint16_t>(notAKey))) << notAKey;
  }
}

// Command is Ctrl, Option Alt, Control Super, both ways; the configuration's own codes of the
// modifier keys name the keys the poster presses; alone, a modifier or lock key records nothing.
TEST(ModifierKeys, FlagsKeysAndStoredCodesFollowTheConventionAndRecordNothingAlone) {
  const LinuxKeyboardKeys keyboard;
  std::string table;
  for (const auto& [modifier, flag, left, right] : ModifierKeys::entries()) {
    EXPECT_EQ(ModifierKeys::fromFlags(flag), modifier);
    EXPECT_EQ(ModifierKeys::toFlags(modifier), flag);
    EXPECT_EQ(ModifierKeys::modifierOfKey(left), modifier);
    EXPECT_EQ(ModifierKeys::modifierOfKey(right), modifier);
    char line[64];
    std::snprintf(line, sizeof line, "%llx %s %d %d\n", static_cast<unsigned long long>(flag),
                  libevdev_event_code_get_name(EV_KEY, left),
                  KeyCodeTable::keyCode(left).value_or(0),
                  KeyCodeTable::keyCode(right).value_or(0));
    table += line;
    for (const std::uint16_t key : {left, right}) {
      EXPECT_EQ(keyboard.readKeycode(key + xKeycodeOffset).reading, Reading::nothing) << key;
    }
  }
  EXPECT_EQ(table,
            "100000 KEY_LEFTCTRL 55 54\n80000 KEY_LEFTALT 58 61\n40000 KEY_LEFTMETA 59 62\n"
            "20000 KEY_LEFTSHIFT 56 60\n");
  for (ModifierKeys::Set set = 0; set < 16; ++set) {
    EXPECT_EQ(ModifierKeys::fromFlags(ModifierKeys::toFlags(set)), set);
  }
  EXPECT_EQ(ModifierKeys::fromFlags(0x10000 | 0x800000 | 0x100000), ModifierKeys::ctrl)
      << "Caps Lock and Fn are no modifiers we hold";
  for (const std::uint16_t key : {KEY_CAPSLOCK, KEY_NUMLOCK, KEY_SCROLLLOCK, KEY_FN, BTN_LEFT}) {
    EXPECT_FALSE(key != BTN_LEFT && ModifierKeys::modifierOfKey(key)) << key;
    EXPECT_EQ(keyboard.readKeycode(key + xKeycodeOffset).reading, Reading::nothing) << key;
  }
  EXPECT_EQ(keyboard.readKeycode(0).reading, Reading::unread);
  EXPECT_EQ(keyboard.readKeycode(xKeycodeOffset).reading, Reading::unread);
  EXPECT_EQ(keyboard.readKeycode(KEY_PROG1 + xKeycodeOffset),
            (platform::KeyboardKeys::KeyReading{Reading::key, 0x1000 + KEY_PROG1}));
}

// Every fixed shortcut has a chord on every desktop that the virtual keyboard can press (a key, or
// the switcher's bare modifier); a shortcut outside the table has none.
TEST(FixedShortcutTable, EveryShortcutHasAPressableChordOnEachDesktop) {
  using platform::FixedShortcut;
  ASSERT_EQ(FixedShortcutTable::rows().size(), platform::fixedShortcutCount - 1u);
  for (const auto& row : FixedShortcutTable::rows()) {
    for (const auto desktop : {DesktopFamily::gnome, DesktopFamily::kde, DesktopFamily::other}) {
      const auto chord = FixedShortcutTable::chord(row.shortcut, desktop);
      ASSERT_TRUE(chord);
      EXPECT_TRUE(chord->linuxKey == 0 ? chord->modifiers != 0
                                       : KeyCodeTable::isKeyboardKey(chord->linuxKey));
    }
  }
  for (const auto outside : {FixedShortcut::none, FixedShortcut(99), FixedShortcut(-1)}) {
    EXPECT_FALSE(FixedShortcutTable::chord(outside, DesktopFamily::gnome));
  }
}

TEST(DesktopFamily, ReadFromAnyEntryOfTheCurrentDesktopList) {
  std::string read;
  for (const char* value : {"GNOME", "ubuntu:GNOME", "GNOME-Classic:GNOME", "gnome", "KDE", "XFCE",
                            "GNOME-Flashback", "", ":", "X-Cinnamon"}) {
    read += "GKO"[static_cast<int>(desktopFamilyFromCurrentDesktop(value))];
  }
  EXPECT_EQ(read, "GGGGKOOOOO") << "GNOME, KDE, other";
}

}  // namespace
}  // namespace tactora::lx
