#include "Tactora/settings/gestures/ShortcutRecorder.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QSignalSpy>
#include <QTest>

#include "PrintQString.h"

#include "Platform/KeyNames.h"
#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/LinuxKeyboardKeys.h"
#include "Platform/sim/SimKeyboardKeys.h"
#include "Tactora/settings/gestures/ShortcutKeys.h"

namespace tactora {
namespace {

constexpr std::uint64_t shift = 0x20000;
constexpr std::uint64_t control = 0x40000;
constexpr std::uint64_t option = 0x80000;
constexpr std::uint64_t command = 0x100000;

const lx::LinuxKeyboardKeys linuxKeyboard;
const sim::SimKeyboardKeys simKeyboard;
const ShortcutKeys linuxKeys{linuxKeyboard};

using Recorded = std::pair<std::uint16_t, std::uint64_t>;
Recorded recorded(const ShortcutRecorder& recorder) {
  return {recorder.keyCode(), recorder.modifiers()};
}

TEST(ShortcutKeys, DisplaysShortcutsInTheWordsOfTheKeysPressedOnLinux) {
  const std::tuple<std::uint16_t, std::uint64_t, QString> cases[] = {
      // Key code 0 is A: with Command (Ctrl here) it is a shortcut, not the empty one.
      {0, command, QStringLiteral("Ctrl+A")},
      {96, control | option | shift | command, QStringLiteral("Super+Ctrl+Alt+Shift+F5")},
      // Keys named as the recorder names them, not as Qt abbreviates them.
      {53, 0, QStringLiteral("Escape")},
      {123, option, QStringLiteral("Alt+\u2190")},
      // Caps Lock and other flags are not modifiers of a shortcut.
      {17, command | 0x10000, QStringLiteral("Ctrl+T")},
      // A key without a name here: its stored code, as a file from elsewhere may hold.
      {52, 0, QStringLiteral("Key 52")},
      {52, command, QStringLiteral("Ctrl+Key 52")},
      // A key only Linux keyboards name, stored in the reserved range.
      {0x1000 + KEY_BRIGHTNESSUP, 0, QStringLiteral("Monitor Brightness Up")},
  };
  for (const auto& [keyCode, modifiers, text] : cases) {
    EXPECT_EQ(linuxKeys.displayText(keyCode, modifiers), text) << keyCode;
  }
  EXPECT_EQ(ShortcutKeys::modifierText(control | shift), QStringLiteral("Super+Shift"));
  // The simulation names the shared keys alone.
  EXPECT_EQ(ShortcutKeys(simKeyboard).displayText(0x1000 + KEY_BRIGHTNESSUP, 0),
            QStringLiteral("Key 4321"));
}

// Every key a keyboard names is a key of Qt's, and pressing that key records its key code: what
// the recorder shows is what it stores, for each platform's keyboard.
TEST(ShortcutKeys, EveryNamedKeyIsAQtKeyThatRecordsItsOwnCode) {
  for (const platform::KeyboardKeys* keyboard :
       std::initializer_list<const platform::KeyboardKeys*>{&linuxKeyboard, &simKeyboard}) {
    const ShortcutKeys keys(*keyboard);
    std::size_t named = 0;
    for (std::uint32_t code = 0; code <= lx::KeyCodeTable::reservedBase + KEY_MAX; ++code) {
      const auto keyCode = static_cast<std::uint16_t>(code);
      const auto qtKey = keys.qtKey(keyCode);
      if (!qtKey) {
        continue;
      }
      ++named;
      EXPECT_EQ(QKeySequence(*qtKey).toString(QKeySequence::PortableText).toStdString(),
                keyboard->keyName(keyCode))
          << code;
      EXPECT_EQ(keys.fromKeyPress(*qtKey, Qt::ControlModifier, std::nullopt),
                (ShortcutKeys::Shortcut{keyCode, command}))
          << code;
    }
    EXPECT_GE(named, platform::KeyNames::entries().size());  // every shared key at least
  }
}

TEST(ShortcutKeys, KeyPressesRecordTheirKeyOrNothing) {
  using Shortcut = ShortcutKeys::Shortcut;
  const auto x = [](std::uint16_t linuxKey) { return std::optional<std::uint32_t>(linuxKey + 8); };
  const std::tuple<int, Qt::KeyboardModifiers, std::optional<std::uint32_t>,
                   std::optional<Shortcut>>
      cases[] = {
          // Modifier keys alone record nothing, by Qt's key or by keycode; the keycode wins over
          // Qt's key (a layout's symbol), and kernel keys Qt has no name for are still stored.
          {Qt::Key_Meta, Qt::MetaModifier, std::nullopt, std::nullopt},
          {0, Qt::NoModifier, x(KEY_LEFTSHIFT), std::nullopt},
          {Qt::Key_Q, Qt::NoModifier, x(KEY_A), Shortcut{0, 0}},
          {0, Qt::NoModifier, x(KEY_PROG1), Shortcut{0x1000 + KEY_PROG1, 0}},
          // Without a keycode, shifted symbols are their key with Shift held.
          {Qt::Key_Exclam, Qt::ShiftModifier, std::nullopt, Shortcut{18, shift}},
          {Qt::Key_Question, Qt::ShiftModifier, x(0), Shortcut{44, shift}},
          {Qt::Key_Launch0, Qt::NoModifier, std::nullopt, std::nullopt},
      };
  for (const auto& [qtKey, modifiers, xKeycode, expected] : cases) {
    EXPECT_EQ(linuxKeys.fromKeyPress(qtKey, modifiers, xKeycode), expected) << qtKey;
  }
  // The simulation reads no keycodes: it goes by Qt's key.
  EXPECT_EQ(ShortcutKeys(simKeyboard).fromKeyPress(Qt::Key_Q, Qt::NoModifier, x(KEY_A)),
            (Shortcut{12, 0}));
}

TEST(ShortcutRecorder, ClickRecordsTheNextKeyWithItsModifiersAndReleasesTheGrab) {
  ShortcutRecorder recorder(linuxKeyboard);
  recorder.show();
  EXPECT_EQ(recorder.text(), QStringLiteral("Click to record\u2026"));
  QSignalSpy captured(&recorder, &ShortcutRecorder::captured);

  QTest::mouseClick(&recorder, Qt::LeftButton);
  EXPECT_TRUE(recorder.isRecording());
  EXPECT_EQ(recorder.text(), QStringLiteral("Press a key combination\u2026"));
  EXPECT_EQ(QWidget::keyboardGrabber(), &recorder);

  // Modifiers going down alone keep the field recording.
  QTest::keyPress(&recorder, Qt::Key_Control, Qt::ControlModifier);
  QTest::keyPress(&recorder, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(recorder.isRecording());
  QTest::keyClick(&recorder, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);

  EXPECT_FALSE(recorder.isRecording());
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
  EXPECT_EQ(captured.count(), 1);
  EXPECT_EQ(recorded(recorder), Recorded(17, command | shift));  // T
  EXPECT_EQ(recorder.text(), QStringLiteral("Ctrl+Shift+T"));

  // Escape, Return, Tab and Backspace are keys like any other, not ways out of recording.
  for (const auto& [key, code] : {std::pair{Qt::Key_Escape, 53}, std::pair{Qt::Key_Return, 36},
                                  std::pair{Qt::Key_Tab, 48}, std::pair{Qt::Key_Backspace, 51}}) {
    QTest::mouseClick(&recorder, Qt::LeftButton);
    QTest::keyClick(&recorder, key);
    EXPECT_FALSE(recorder.isRecording()) << code;
    EXPECT_EQ(recorded(recorder), Recorded(code, 0));
  }

  // A second click starts afresh; hiding or destroying a recording field lets go of the keyboard.
  QTest::mouseClick(&recorder, Qt::LeftButton);
  QTest::mouseClick(&recorder, Qt::LeftButton);
  EXPECT_TRUE(recorder.isRecording());
  recorder.hide();
  EXPECT_FALSE(recorder.isRecording());
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
  auto another = std::make_unique<ShortcutRecorder>(linuxKeyboard);
  another->show();
  QTest::mouseClick(another.get(), Qt::LeftButton);
  another.reset();
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
}

}  // namespace
}  // namespace tactora
