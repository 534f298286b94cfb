// Renders the Gestures tab, the add-gesture dialog and the shortcut recorder to PNG in light and
// dark palettes (as "@2x" on the two-pixels-per-point screen of the second run), for a person to
// look at (TACTORA_SCREENSHOT_DIR, else the build's screenshots folder), and checks that no text in
// them is cut off.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <QToolButton>

#include "Platform/sim/SimPlatform.h"
#include "PrintQString.h"
#include "Tactora/config/ConfigurationDocument.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "Tactora/settings/gestures/AddBindingSheet.h"
#include "Tactora/settings/gestures/BindingRow.h"
#include "Tactora/settings/gestures/GesturesTab.h"
#include "Tactora/settings/gestures/ShortcutRecorder.h"
#include "tests/Tactora/settings/ScreenshotSupport.h"

namespace tactora {
namespace {

class GesturesScreenshots : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    sim = sim::SimPlatform::install();
    sim->workspace().setDisplayName("org.mozilla.firefox", "Firefox");
    store = std::make_unique<ConfigStore>(directory.path());
  }

  void save(QWidget& widget, const QString& base) {
    settings::screenshots::savePicture(widget, "gestures-" + base, GetParam());
  }

  TemporaryDirectory directory{"gestures-screens"};
  std::shared_ptr<sim::SimPlatform> sim;
  std::unique_ptr<ConfigStore> store;
  settings::screenshots::PaletteScope palette{GetParam()};
};

TEST_P(GesturesScreenshots, TabOnAllAppsAndAnApplicationProfile) {
  Configuration configuration = *store->current();
  configuration.profiles.push_back(
      Profile{"org.mozilla.firefox",
              {{{GestureEvent::swipe(3, Direction::left), ModifierSet::command()},
                Action::keyShortcut(17, 0x120000)},
               {{GestureEvent::tap(3), ModifierSet::option().unioned(ModifierSet::shift())},
                Action::shellCommand("notify-send 'Three fingers'")},
               {{GestureEvent::pinch(Direction::up), {}}, Action(Action::Case::zoomIn)}}});
  store->save(configuration);
  GesturesTab tab(*store, *sim);
  tab.resize(616, 480);
  tab.show();
  settings::screenshots::expectTextsFit(tab);
  save(tab, QStringLiteral("all-apps"));

  tab.showProfile("org.mozilla.firefox");
  settings::screenshots::expectTextsFit(tab);
  save(tab, QStringLiteral("app-profile"));
}

TEST_P(GesturesScreenshots, AddDialogAndRecorder) {
  AddBindingSheet sheet;
  const int swipe = sheet.shapePicker()->findText(QStringLiteral("Swipe"));
  sheet.shapePicker()->setCurrentIndex(swipe);
  sheet.actionPicker()->setCurrentIndex(static_cast<int>(ActionKind::keyShortcut));
  sheet.show();
  settings::screenshots::expectTextsFit(sheet);
  save(sheet, QStringLiteral("add-dialog"));

  ShortcutRecorder recorder;
  recorder.setShortcut(17, 0x1A0000);  // Ctrl+Alt+Shift+T
  recorder.show();
  save(recorder, QStringLiteral("recorder-idle"));
  QTest::mouseClick(&recorder, Qt::LeftButton);
  save(recorder, QStringLiteral("recorder-recording"));
  recorder.hide();
}

TEST_P(GesturesScreenshots, ApplicationChooserAndImportConfirmation) {
  GesturesTab::Options options;
  options.applications = [] {
    return std::vector<InstalledApplication>{{"org.gnome.Nautilus", "Files", "folder"},
                                             {"firefox-esr", "Firefox ESR", "firefox-esr"},
                                             {"org.gnome.Terminal", "Terminal", "terminal"}};
  };
  GesturesTab tab(*store, *sim, options);
  tab.resize(616, 480);
  tab.show();
  QTest::mouseClick(tab.addProfileButton(), Qt::LeftButton);
  ASSERT_NE(tab.applicationChooser(), nullptr);
  save(*tab.applicationChooser(), QStringLiteral("app-chooser"));
  tab.applicationChooser()->reject();

  Configuration incoming = *store->current();
  incoming.profiles[0].bindings.push_back(
      {{GestureEvent::tap(3), {}}, Action::shellCommand("~/bin/backup-photos --all")});
  const auto path = directory.path() / "incoming.json";
  ASSERT_FALSE(ConfigurationDocument{incoming}.write(path));
  tab.importFrom(QString::fromStdString(path.string()));
  ASSERT_NE(tab.alert(), nullptr);
  tab.alert()->adjustSize();
  save(*tab.alert(), QStringLiteral("import-confirmation"));
  tab.alert()->reject();
}

INSTANTIATE_TEST_SUITE_P(Palettes, GesturesScreenshots, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
}  // namespace tactora
