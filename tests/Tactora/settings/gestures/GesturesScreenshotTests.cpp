// Renders the Gestures tab, the add-gesture dialog and the shortcut recorder to PNG in light and
// dark palettes, for a person to look at (TACTORA_SCREENSHOT_DIR, else the build's screenshots
// folder), and checks that no text in them is cut off.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QStyleFactory>
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

namespace tactora {
namespace {

QPalette darkPalette() {
  QPalette palette;
  const QColor window(0x2b, 0x2b, 0x2e);
  const QColor base(0x1e, 0x1e, 0x20);
  const QColor text(0xe8, 0xe8, 0xea);
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, window);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa0, 0xa6));
  palette.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5a));
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x70, 0x70, 0x74));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x70, 0x74));
  return palette;
}

class GesturesScreenshots : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    sim = sim::SimPlatform::install();
    sim->workspace().setDisplayName("org.mozilla.firefox", "Firefox");
    store = std::make_unique<ConfigStore>(directory.path());
    previousPalette = QApplication::palette();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(dark() ? darkPalette() : QApplication::style()->standardPalette());
    outputDir = qEnvironmentVariable("TACTORA_SCREENSHOT_DIR");
    if (outputDir.isEmpty()) {
      outputDir = qEnvironmentVariable("TACTORA_BINARY_DIR", QDir::currentPath()) +
                  QStringLiteral("/screenshots");
    }
    QDir().mkpath(outputDir);
  }
  void TearDown() override { QApplication::setPalette(previousPalette); }

  bool dark() const { return GetParam(); }
  QString name(const QString& base, int scale = 1) const {
    return outputDir + QStringLiteral("/gestures-") + base +
           (dark() ? QStringLiteral("-dark") : QStringLiteral("-light")) +
           (scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale)) + QStringLiteral(".png");
  }

  void save(QWidget& widget, const QString& base) {
    for (int scale : {1, 2}) {
      QPixmap pixmap(widget.size() * scale);
      pixmap.setDevicePixelRatio(scale);
      pixmap.fill(widget.palette().color(QPalette::Window));
      widget.render(&pixmap);
      ASSERT_TRUE(pixmap.save(name(base, scale)));
    }
  }

  // Every label shown in `widget` fits its text (word-wrapped labels may take more lines).
  static void expectNoCutOffText(QWidget& widget) {
    for (auto* label : widget.findChildren<QLabel*>()) {
      if (!label->isVisibleTo(&widget) || label->text().isEmpty() || label->wordWrap()) {
        continue;
      }
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
    for (auto* combo : widget.findChildren<QComboBox*>()) {
      if (!combo->isVisibleTo(&widget)) {
        continue;
      }
      const int textWidth = combo->fontMetrics().horizontalAdvance(combo->currentText());
      EXPECT_GE(combo->width(), textWidth + 30) << combo->currentText().toStdString();
    }
  }

  TemporaryDirectory directory{"gestures-screens"};
  std::shared_ptr<sim::SimPlatform> sim;
  std::unique_ptr<ConfigStore> store;
  QPalette previousPalette;
  QString outputDir;
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
  expectNoCutOffText(tab);
  save(tab, QStringLiteral("all-apps"));

  tab.showProfile("org.mozilla.firefox");
  expectNoCutOffText(tab);
  save(tab, QStringLiteral("app-profile"));
}

TEST_P(GesturesScreenshots, AddDialogAndRecorder) {
  AddBindingSheet sheet;
  const int swipe = sheet.shapePicker()->findText(QStringLiteral("Swipe"));
  sheet.shapePicker()->setCurrentIndex(swipe);
  sheet.actionPicker()->setCurrentIndex(static_cast<int>(ActionKind::keyShortcut));
  sheet.show();
  expectNoCutOffText(sheet);
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
