#include "Tactora/settings/gestures/ShortcutRecorder.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QSignalSpy>
#include <QTest>

#include "PrintQString.h"

#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/ModifierKeys.h"
#include "Tactora/settings/gestures/ShortcutKeys.h"

namespace tactora {
namespace {

constexpr std::uint64_t shift = 0x20000;
constexpr std::uint64_t control = 0x40000;
constexpr std::uint64_t option = 0x80000;
constexpr std::uint64_t command = 0x100000;

TEST(ShortcutKeys, DisplaysShortcutsInTheWordsOfTheKeysPressedOnLinux) {
  EXPECT_EQ(ShortcutKeys::displayText(0, 0), QStringLiteral("Click to record\u2026"));
  // Key code 0 is A: with Command (Ctrl here) it is a shortcut, not the empty one.
  EXPECT_EQ(ShortcutKeys::displayText(0, command), QStringLiteral("Ctrl+A"));
  EXPECT_EQ(ShortcutKeys::displayText(17, command | option | shift),
            QStringLiteral("Ctrl+Alt+Shift+T"));
  EXPECT_EQ(ShortcutKeys::displayText(96, control | option | shift | command),
            QStringLiteral("Super+Ctrl+Alt+Shift+F5"));
  // Keys named as the recorder names them, not as Qt abbreviates them.
  EXPECT_EQ(ShortcutKeys::displayText(53, 0), QStringLiteral("Escape"));
  EXPECT_EQ(ShortcutKeys::displayText(123, option), QStringLiteral("Alt+\u2190"));
  // Caps Lock and other flags are not modifiers of a shortcut.
  EXPECT_EQ(ShortcutKeys::displayText(17, command | 0x10000), QStringLiteral("Ctrl+T"));
  // A key without a name here: its stored code, as a file from elsewhere may hold.
  EXPECT_EQ(ShortcutKeys::displayText(52, 0), QStringLiteral("Key 52"));
  EXPECT_EQ(ShortcutKeys::displayText(52, command), QStringLiteral("Ctrl+Key 52"));
  EXPECT_EQ(ShortcutKeys::modifierText(control | shift), QStringLiteral("Super+Shift"));
}

TEST(ShortcutKeys, EveryNamedKeyRoundTripsThroughThePostersTables) {
  // What is recorded must be what is posted: kernel key → stored code → kernel key, and the
  // modifiers → flags → the poster's modifier set.
  for (std::uint16_t linuxKey = 1; linuxKey < KEY_MAX; ++linuxKey) {
    const auto qtKey = ShortcutKeys::qtKey(linuxKey);
    if (!qtKey) {
      continue;
    }
    const auto shortcut = ShortcutKeys::fromKeyPress(*qtKey, Qt::ControlModifier, linuxKey);
    ASSERT_TRUE(shortcut) << linuxKey;
    EXPECT_EQ(lx::KeyCodeTable::linuxKey(shortcut->keyCode), linuxKey);
    EXPECT_EQ(ShortcutKeys::linuxKey(*qtKey), linuxKey);
    EXPECT_FALSE(ShortcutKeys::displayText(shortcut->keyCode, 0).startsWith("Key ")) << linuxKey;
  }
  const Qt::KeyboardModifiers all =
      Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier;
  EXPECT_EQ(lx::ModifierKeys::fromFlags(ShortcutKeys::flags(Qt::ControlModifier)),
            lx::ModifierKeys::ctrl);
  EXPECT_EQ(lx::ModifierKeys::fromFlags(ShortcutKeys::flags(Qt::MetaModifier)),
            lx::ModifierKeys::super);
  EXPECT_EQ(ShortcutKeys::qtModifiers(ShortcutKeys::flags(all)), all);
}

TEST(ShortcutKeys, ModifierAndLockKeysAloneRecordNothing) {
  EXPECT_FALSE(ShortcutKeys::fromKeyPress(Qt::Key_Control, Qt::ControlModifier, std::nullopt));
  EXPECT_FALSE(ShortcutKeys::fromKeyPress(Qt::Key_Meta, Qt::MetaModifier, std::nullopt));
  EXPECT_FALSE(ShortcutKeys::fromKeyPress(0, Qt::NoModifier, KEY_LEFTSHIFT));
  EXPECT_FALSE(ShortcutKeys::fromKeyPress(0, Qt::NoModifier, KEY_RIGHTMETA));
  EXPECT_FALSE(ShortcutKeys::fromKeyPress(0, Qt::NoModifier, KEY_CAPSLOCK));
  // Kernel keys Qt has no name for are still stored, in the reserved range.
  const auto extra = ShortcutKeys::fromKeyPress(0, Qt::NoModifier, KEY_PROG1);
  ASSERT_TRUE(extra);
  EXPECT_EQ(lx::KeyCodeTable::linuxKey(extra->keyCode), KEY_PROG1);
  // Shifted symbols are their key, Shift held.
  const auto bang = ShortcutKeys::fromKeyPress(Qt::Key_Exclam, Qt::ShiftModifier, std::nullopt);
  ASSERT_TRUE(bang);
  EXPECT_EQ(bang->keyCode, 18);  // the 1 key
  EXPECT_EQ(bang->modifiers, shift);
}

TEST(ShortcutRecorder, ClickRecordsTheNextKeyWithItsModifiersAndReleasesTheGrab) {
  ShortcutRecorder recorder;
  recorder.show();
  EXPECT_EQ(recorder.size(), QSize(220, 28));
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
  ASSERT_EQ(captured.count(), 1);
  EXPECT_EQ(recorder.keyCode(), 17);  // T
  EXPECT_EQ(recorder.modifiers(), command | shift);
  EXPECT_EQ(recorder.text(), QStringLiteral("Ctrl+Shift+T"));
}

TEST(ShortcutRecorder, EscapeReturnTabAndBackspaceAreRecordedLikeAnyKey) {
  ShortcutRecorder recorder;
  recorder.show();
  const std::pair<Qt::Key, std::uint16_t> keys[] = {
      {Qt::Key_Escape, 53}, {Qt::Key_Return, 36}, {Qt::Key_Tab, 48}, {Qt::Key_Backspace, 51}};
  for (const auto& [key, code] : keys) {
    QTest::mouseClick(&recorder, Qt::LeftButton);
    QTest::keyClick(&recorder, key);
    EXPECT_FALSE(recorder.isRecording()) << code;
    EXPECT_EQ(recorder.keyCode(), code);
    EXPECT_EQ(recorder.modifiers(), 0u);
  }
}

TEST(ShortcutRecorder, HidingWhileRecordingLetsGoOfTheKeyboard) {
  auto recorder = std::make_unique<ShortcutRecorder>();
  recorder->show();
  QTest::mouseClick(recorder.get(), Qt::LeftButton);
  QTest::mouseClick(recorder.get(), Qt::LeftButton);  // a second click starts afresh
  EXPECT_TRUE(recorder->isRecording());
  recorder->hide();
  EXPECT_FALSE(recorder->isRecording());
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

  recorder->show();
  QTest::mouseClick(recorder.get(), Qt::LeftButton);
  recorder.reset();
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
}

}  // namespace
}  // namespace tactora
