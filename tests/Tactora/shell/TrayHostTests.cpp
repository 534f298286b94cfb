// Tactora's own tray item on real tray hosts — waybar on sway, xfce4-panel on X11 — started before
// the program, after it, restarted under it and hung. The program runs on the simulated platform
// (nothing read, nothing posted), so only the tray is under test. The test reads the item and its
// menu over the session bus as the hosts do, clicks rows as they do, and looks at the panel.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QImage>
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/SourceTree.h"
#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/TactoraProgram.h"
#include "tests/support/desktop/TrayPanel.h"

namespace tactora::testing {
namespace {

using namespace std::chrono_literals;

const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString dbusmenu = QStringLiteral("com.canonical.dbusmenu");
// How much of the screen's top a picture of an open menu takes.
constexpr int menuHeight = 240;

// Counts a bus signal.
class SignalCounter : public QObject {
  Q_OBJECT
 public:
  int count = 0;
 public Q_SLOTS:
  void hit() { ++count; }
};

// One desktop with its panel, per kind of host, for the whole executable; the test process talks
// to its session bus.
struct Desktop {
  std::unique_ptr<DesktopSession> session;
  std::unique_ptr<TrayPanel> panel;
  std::unique_ptr<TactoraProgram> program;
  std::unique_ptr<QDBusConnection> bus;
};

// The test process's application comes first, so the desktops go before it at exit.
std::map<TrayPanel::Kind, std::unique_ptr<Desktop>>& desktops() {
  static int argc = 1;
  static char name[] = "TrayHostTests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
  static std::map<TrayPanel::Kind, std::unique_ptr<Desktop>> all;
  qDBusRegisterMetaType<QList<QStringList>>();
  return all;
}

// The menu right after start on the simulated platform (permissions granted, no mouse, no
// autostart entry) as a host draws it, its rows joined by '|': "---" for a separator, "[x] "/"[ ] "
// before a check mark, the shortcut after a tab (names joined with '+'), " (disabled)" after a row
// that cannot be chosen.
std::string menuAtStart(bool gesturesEnabled) {
#ifdef TACTORA_TEST_HAS_UPDATE_CHECK
  const std::string updates = "|Check for Updates\u2026";
#else
  const std::string updates;
#endif
  return std::string("No Magic Mouse detected (disabled)|---|") +
         (gesturesEnabled ? "[x]" : "[ ]") +
         " Gestures Enabled|[ ] Launch at "
         "Login|---|Settings\u2026\tControl+comma|Permissions\u2026" +
         updates + "|---|Quit Tactora\tControl+q";
}

// The menu as a host reads it: a layout node (ia{sv}av) whose children are variants holding the
// rows, each described as above; `ids` are what a host sends back when a row is clicked.
struct Menu {
  std::string lines;
  std::map<QString, int> ids;
};

Menu readMenu(const QDBusArgument& root) {
  Menu menu;
  int id = 0;
  QVariantMap row;
  root.beginStructure();
  root >> id >> row;
  root.beginArray();
  while (!root.atEnd()) {
    const QDBusArgument node =
        qvariant_cast<QDBusArgument>(qdbus_cast<QDBusVariant>(root).variant());
    node.beginStructure();
    node >> id >> row;
    node.endStructure();
    const auto value = [&row](const char* name) { return row.value(QString::fromLatin1(name)); };
    std::string line = value("type").toString() == "separator"     ? "---"
                       : value("toggle-type").toString().isEmpty() ? ""
                       : value("toggle-state").toInt() == 1        ? "[x] "
                                                                   : "[ ] ";
    line += value("label").toString().toStdString();
    for (const QStringList& names : qdbus_cast<QList<QStringList>>(value("shortcut"))) {
      line += "\t" + names.join(QLatin1Char('+')).toStdString();
    }
    menu.lines += (menu.lines.empty() ? "" : "|") + line +
                  (row.value(QStringLiteral("enabled"), true).toBool() ? "" : " (disabled)");
    menu.ids[value("label").toString()] = id;
  }
  root.endArray();
  root.endStructure();
  return menu;
}

// What changed in `shown` from `before`: how many pixels (with `iconOnly`, only those in the
// icon's own colours, its white fill and dark outline, as a host may also draw a box for its tray),
// and the horizontal middle of them, where the panel drew the icon.
struct Change {
  int pixels = 0;
  int centre = 0;
};

Change change(const QImage& shown, const QImage& before, bool iconOnly) {
  Change change;
  int left = shown.width();
  int right = 0;
  for (int y = 0; y < std::min(shown.height(), before.height()); ++y) {
    for (int x = 0; x < std::min(shown.width(), before.width()); ++x) {
      const QRgb pixel = shown.pixel(x, y);
      const int lowest = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
      const int highest = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
      if (pixel != before.pixel(x, y) && (!iconOnly || lowest >= 0xe0 || highest <= 0x40)) {
        ++change.pixels;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
  }
  change.centre = (left + right) / 2;
  return change;
}

class TrayHost : public ::testing::TestWithParam<TrayPanel::Kind> {
 protected:
  // Starts the desktop of this kind of host on the first case that needs it.
  void SetUp() override {
    const TrayPanel::Kind kind = GetParam();
    auto& desktop = desktops()[kind];
    if (!desktop) {
      auto fresh = std::make_unique<Desktop>();
      std::string error;
      // sway refuses root; Xvfb and xfce4-panel run as the test's own user.
      fresh->session =
          DesktopSession::create({.unprivileged = kind == TrayPanel::Kind::waybar}, &error);
      ASSERT_NE(fresh->session, nullptr) << error;
      // Qt has no Wayland platform here (the tray needs none); on X11 the program uses the display.
      fresh->session->set("QT_QPA_PLATFORM", kind == TrayPanel::Kind::waybar ? "offscreen" : "xcb");
      ASSERT_NE(fresh->panel = TrayPanel::start(*fresh->session, kind), nullptr);
      ASSERT_NE(fresh->program = TactoraProgram::install(*fresh->session), nullptr);
      fresh->bus = std::make_unique<QDBusConnection>(
          QDBusConnection::connectToBus(QString::fromStdString(fresh->session->busAddress()),
                                        QString::number(static_cast<int>(kind))));
      desktop = std::move(fresh);
    }
    desktop_ = desktop.get();
    if (!desktop_->panel->running()) {
      ASSERT_TRUE(desktop_->panel->launch());
    }
  }

  DesktopSession& session() { return *desktop_->session; }
  QDBusConnection& bus() { return *desktop_->bus; }

  // The program on the simulated platform, with a fresh configuration.
  ChildProcess* startTactora(const std::string& name) {
    std::filesystem::remove_all(desktop_->program->configurationDirectory());
    logName_ = name;
    return desktop_->program->start(name, {"--platform", "sim"});
  }
  std::string log() { return session().log(logName_); }

  QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                    const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus().call(message, QDBus::Block, 5000);
  }
  QVariant property(const QString& service, const QString& path, const QString& interface,
                    const char* name) {
    const QDBusMessage reply =
        call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {interface, QString::fromLatin1(name)});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
  }

  // The bus names of the items the panel's watcher lists that belong to process `pid`.
  std::vector<QString> itemsOf(pid_t pid) {
    std::vector<QString> items;
    for (const QString& entry : property(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher,
                                         "RegisteredStatusNotifierItems")
                                    .toStringList()) {
      const QString service = entry.section(QLatin1Char('/'), 0, 0);
      if (bus().interface()->servicePid(service).value() == static_cast<uint>(pid)) {
        items.push_back(service);
      }
    }
    return items;
  }
  // Waits until the watcher lists exactly one item of the program.
  bool awaitItem(pid_t pid) {
    return eventually([&] {
      const auto items = itemsOf(pid);
      item_ = items.size() == 1 ? items.front() : QString();
      return !item_.isEmpty();
    });
  }
  QVariant itemProperty(const char* name) {
    return property(item_, QStringLiteral("/StatusNotifierItem"),
                    QStringLiteral("org.kde.StatusNotifierItem"), name);
  }
  QString menuPath() { return itemProperty("Menu").value<QDBusObjectPath>().path(); }

  // What a host does before it draws the menu: says it opens, then reads it whole.
  Menu openMenu() {
    call(item_, menuPath(), dbusmenu, QStringLiteral("AboutToShow"), {0});
    const QDBusMessage reply =
        call(item_, menuPath(), dbusmenu, QStringLiteral("GetLayout"), {0, -1, QStringList()});
    if (reply.arguments().size() != 2) {
      ADD_FAILURE() << "GetLayout failed: " << reply.errorMessage().toStdString();
      return {};
    }
    return readMenu(qvariant_cast<QDBusArgument>(reply.arguments().at(1)));
  }
  void click(const QString& label) {
    call(item_, menuPath(), dbusmenu, QStringLiteral("Event"),
         {openMenu().ids[label], QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)),
          0u});
  }

  QImage panelPicture(int height = 0) {
    const auto file = desktop_->panel->picture(height);
    return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
  }

  Desktop* desktop_ = nullptr;
  std::string logName_;
  QString item_;
};

std::string hostName(const ::testing::TestParamInfo<TrayPanel::Kind>& info) {
  return info.param == TrayPanel::Kind::waybar ? "WaybarOnSway" : "XfcePanelOnX11";
}

TEST_P(TrayHost, ShowsTheItemAndItsMenuAndActsOnClicks) {
  const QImage emptyPanel = panelPicture();
  ChildProcess* tactora = startTactora("tactora");
  ASSERT_NE(tactora, nullptr);
  ASSERT_TRUE(awaitItem(tactora->pid())) << log();

  QStringList properties;
  for (const char* name : {"Id", "Title", "Category", "Status", "ItemIsMenu", "IconName"}) {
    properties << itemProperty(name).toString();
  }
  EXPECT_EQ(properties.join(' '),
            "com.vellumworks.Tactora Tactora ApplicationStatus Active true "
            "tactora-gestures-enabled-symbolic");
  EXPECT_EQ(openMenu().lines, menuAtStart(true));

  // The panel draws the icon from the pictures: the theme icon is not installed here.
  QImage shown;
  EXPECT_TRUE(eventually([&] {
    shown = panelPicture();
    return change(shown, emptyPanel, true).pixels > 40;
  })) << "the panel shows no icon";
  const int iconX = change(shown, emptyPanel, true).centre;

  // A click on "Gestures Enabled" switches gestures off, is saved, and is announced to the host.
  SignalCounter layoutUpdates;
  ASSERT_TRUE(bus().connect(item_, menuPath(), dbusmenu, QStringLiteral("LayoutUpdated"),
                            &layoutUpdates, SLOT(hit())));
  if (desktop_->panel->sway()) {
    click(QStringLiteral("Gestures Enabled"));
  } else {
    // A click on the icon opens the menu as the panel draws it; the row is chosen there.
    const QImage closed = panelPicture(menuHeight);
    session().run({"xdotool", "mousemove", std::to_string(iconX),
                   std::to_string(desktop_->panel->height() / 2), "click", "1"});
    ASSERT_TRUE(eventually([&] {
      return change(panelPicture(menuHeight), closed, false).pixels > 5000;
    })) << "no menu opened on a click on the icon";
    session().run({"xdotool", "key", "Down", "Return"});
  }
  const auto config = desktop_->program->configurationDirectory() / "config.json";
  EXPECT_TRUE(eventually([&] {
    QCoreApplication::processEvents();
    return layoutUpdates.count > 0 &&
           readFile(config).find("\"enabled\": false") != std::string::npos;
  })) << "LayoutUpdated "
      << layoutUpdates.count << " times; " << log();
  EXPECT_EQ(openMenu().lines, menuAtStart(false));
  EXPECT_EQ(itemProperty("IconName").toString(), "tactora-gestures-disabled-symbolic");
  EXPECT_TRUE(eventually([&] { return change(panelPicture(), shown, false).pixels > 20; }))
      << "the panel still shows the enabled icon";

  // "Quit Tactora" ends the program, and the icon leaves the panel with it.
  click(QStringLiteral("Quit Tactora"));
  EXPECT_EQ(tactora->wait(20s), 0) << log();
  EXPECT_TRUE(eventually([&] { return itemsOf(tactora->pid()).empty(); }));
}

TEST_P(TrayHost, ItemFollowsAPanelThatStartsLateRestartsOrHangs) {
  ASSERT_TRUE(desktop_->panel->stop());
  ChildProcess* tactora = startTactora("tactora-late");
  ASSERT_NE(tactora, nullptr);
  // Without a host: said once in the log, and the settings window stands in for the menu.
  EXPECT_TRUE(eventually([&] {
    return log().find("Tactora runs without a tray icon: this desktop shows none") !=
           std::string::npos;
  })) << log();

  ASSERT_TRUE(desktop_->panel->launch());
  EXPECT_TRUE(awaitItem(tactora->pid())) << "not registered with a panel started later";

  ASSERT_TRUE(desktop_->panel->stop());
  ASSERT_TRUE(desktop_->panel->launch());
  EXPECT_TRUE(awaitItem(tactora->pid())) << "not registered again after the panel restarted";
  EXPECT_EQ(openMenu().lines, menuAtStart(true));
  EXPECT_EQ(tactora->stop(), 0) << "SIGTERM ends the program cleanly\n" << log();

  // A panel that hangs holds nothing up: the program starts, says the icon was not taken, answers
  // while the panel hangs, and the item shows once the panel goes on.
  desktop_->panel->pause(true);
  ASSERT_NE(tactora = startTactora("tactora-hung"), nullptr);
  EXPECT_TRUE(eventually([&] {
    return log().find("did not take Tactora's icon") != std::string::npos;
  })) << log();
  // The program answers meanwhile: asked for its settings window, it opens it.
  EXPECT_EQ(desktop_->program->run({"settings"}, {}, 5s).status, 0);
  desktop_->panel->pause(false);
  EXPECT_TRUE(awaitItem(tactora->pid())) << log();
  EXPECT_EQ(tactora->stop(), 0) << log();
}

// On X11, a program that finds no watcher on its session bus puts Qt's icon into the panel's X11
// tray instead (the panel's watcher is on another bus here). waybar has no X11 tray, so this runs
// on xfce4-panel alone.
class X11Tray : public TrayHost {};

TEST_P(X11Tray, WithoutAWatcherQtsIconSitsInThePanelsX11Tray) {
  std::string error;
  auto ownBus = DesktopSession::create({}, &error);
  ASSERT_NE(ownBus, nullptr) << error;
  ownBus->set("DISPLAY", desktop_->panel->display());
  auto program = TactoraProgram::install(*ownBus);
  ASSERT_NE(program, nullptr);
  const QImage emptyPanel = panelPicture();
  ChildProcess* tactora =
      program->start("tactora-xembed", {"--platform", "sim"}, {"QT_QPA_PLATFORM=xcb"});
  ASSERT_NE(tactora, nullptr);
  EXPECT_TRUE(eventually([&] { return change(panelPicture(), emptyPanel, true).pixels > 40; }))
      << "no icon in the X11 tray: " << ownBus->log("tactora-xembed");
  EXPECT_EQ(ownBus->log("tactora-xembed").find("runs without a tray icon"), std::string::npos);
  EXPECT_EQ(tactora->stop(), 0) << ownBus->log("tactora-xembed");
}

INSTANTIATE_TEST_SUITE_P(RealPanels, TrayHost,
                         ::testing::Values(TrayPanel::Kind::waybar, TrayPanel::Kind::xfcePanel),
                         hostName);
INSTANTIATE_TEST_SUITE_P(RealPanels, X11Tray, ::testing::Values(TrayPanel::Kind::xfcePanel),
                         hostName);

}  // namespace
}  // namespace tactora::testing

#include "TrayHostTests.moc"
