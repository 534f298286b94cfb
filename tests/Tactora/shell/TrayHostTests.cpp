// Tactora's own tray item on real tray hosts — waybar on sway, xfce4-panel on X11 — started before
// the program, after it, and restarted under it. The program runs on the simulated platform
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
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/SwaySession.h"
#include "tests/support/desktop/TactoraProgram.h"
#include "tests/support/desktop/TrayPanel.h"
#include "tests/support/desktop/XServer.h"

// After Qt: Xlib's macros (None, Bool, Status) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tactora::testing {
namespace {

using namespace std::chrono_literals;

constexpr int callTimeoutMs = 5000;
// How much of the screen's top a picture of an open menu takes.
constexpr int menuHeight = 240;
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

// Counts a bus signal.
class SignalCounter : public QObject {
  Q_OBJECT
 public:
  int count = 0;
 public Q_SLOTS:
  void hit() { ++count; }
};

// One desktop with its panel for the whole executable, per kind of host.
struct Desktop {
  std::unique_ptr<DesktopSession> session;
  std::unique_ptr<SwaySession> sway;
  std::unique_ptr<XServer> x;
  std::unique_ptr<TrayPanel> panel;
  std::unique_ptr<TactoraProgram> program;
  std::unique_ptr<QDBusConnection> bus;
  std::vector<std::string> programEnvironment;
  std::string display;
};

std::map<TrayPanel::Kind, std::unique_ptr<Desktop>>& desktops() {
  static std::map<TrayPanel::Kind, std::unique_ptr<Desktop>> all;
  return all;
}

class Environment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "TrayHostTests";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QCoreApplication>(argc, argv);
  }
  void TearDown() override {
    desktops().clear();
    application_.reset();
  }

 private:
  std::unique_ptr<QCoreApplication> application_;
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new Environment);

// Where a watcher says an item lives: "bus name/object path", or a bus name alone.
struct ItemAddress {
  QString service;
  QString path;
};

// The exported menu as a host draws it, one line per row: "---" for a separator, "[x] "/"[ ] "
// before a check mark, the shortcut after a tab (names joined with '+'), " (disabled)" after a
// row that cannot be chosen. The ids are what a host sends back when a row is clicked.
struct Menu {
  std::vector<std::string> lines;
  std::map<QString, int> ids;
};

std::vector<std::string> menuAtStart(bool gesturesEnabled) {
  std::vector<std::string> lines{"No Magic Mouse detected (disabled)",
                                 "---",
                                 gesturesEnabled ? "[x] Gestures Enabled" : "[ ] Gestures Enabled",
                                 "[ ] Launch at Login",
                                 "---",
                                 "Settings\u2026\tControl+comma",
                                 "Permissions\u2026"};
#ifdef TACTORA_TEST_HAS_UPDATE_CHECK
  lines.push_back("Check for Updates\u2026");
#endif
  lines.insert(lines.end(), {"---", "Quit Tactora\tControl+q"});
  return lines;
}

std::string describe(const QVariantMap& properties) {
  if (properties.value(QStringLiteral("type")).toString() == QStringLiteral("separator")) {
    return "---";
  }
  std::string line;
  if (properties.value(QStringLiteral("toggle-type")).toString() == QStringLiteral("checkmark")) {
    line = properties.value(QStringLiteral("toggle-state")).toInt() == 1 ? "[x] " : "[ ] ";
  }
  line += properties.value(QStringLiteral("label")).toString().toStdString();
  QStringList chords;
  for (const QStringList& names :
       qdbus_cast<QList<QStringList>>(properties.value(QStringLiteral("shortcut")))) {
    chords << names.join(QLatin1Char('+'));
  }
  if (!chords.isEmpty()) {
    line += "\t" + chords.join(QLatin1Char(' ')).toStdString();
  }
  return line + (properties.value(QStringLiteral("enabled"), true).toBool() ? "" : " (disabled)");
}

// A layout node, (ia{sv}av): id, properties, children (each a variant holding a node).
void readRows(const QDBusArgument& node, Menu* menu, bool isRoot) {
  int id = 0;
  QVariantMap properties;
  node.beginStructure();
  node >> id >> properties;
  if (!isRoot) {
    menu->lines.push_back(describe(properties));
    menu->ids[properties.value(QStringLiteral("label")).toString()] = id;
  }
  node.beginArray();
  while (!node.atEnd()) {
    QDBusVariant child;
    node >> child;
    readRows(qvariant_cast<QDBusArgument>(child.variant()), menu, false);
  }
  node.endArray();
  node.endStructure();
}

class TrayHost : public ::testing::TestWithParam<TrayPanel::Kind> {
 protected:
  void SetUp() override {
    qDBusRegisterMetaType<QList<QStringList>>();
    auto& slot = desktops()[GetParam()];
    if (!slot) {
      slot = startDesktop(GetParam());
    }
    desktop_ = slot.get();
    ASSERT_NE(desktop_, nullptr);
    if (!desktop_->panel->running()) {
      ASSERT_TRUE(desktop_->panel->launch());
    }
  }

  static std::unique_ptr<Desktop> startDesktop(TrayPanel::Kind kind) {
    auto desktop = std::make_unique<Desktop>();
    std::string error;
    // sway refuses root; Xvfb and xfce4-panel run as the test's own user.
    desktop->session =
        DesktopSession::create({.unprivileged = kind == TrayPanel::Kind::waybar}, &error);
    EXPECT_NE(desktop->session, nullptr) << error;
    if (!desktop->session) {
      return nullptr;
    }
    DesktopSession& session = *desktop->session;
    switch (kind) {
      case TrayPanel::Kind::waybar:
        desktop->sway = SwaySession::start(session);
        if (!desktop->sway) {
          return nullptr;
        }
        // Qt has no Wayland platform here; the tray needs none.
        desktop->programEnvironment = {"QT_QPA_PLATFORM=offscreen"};
        break;
      case TrayPanel::Kind::xfcePanel:
        desktop->x = XServer::start(session, XServer::WindowManager::none);
        if (!desktop->x) {
          return nullptr;
        }
        desktop->display = desktop->x->display();
        desktop->programEnvironment = {"QT_QPA_PLATFORM=xcb"};
        break;
    }
    desktop->panel = TrayPanel::start(session, kind);
    desktop->program = TactoraProgram::install(session);
    if (!desktop->panel || !desktop->program) {
      return nullptr;
    }
    desktop->bus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QString::fromStdString(session.busAddress()),
                                      QStringLiteral("tray-%1").arg(static_cast<int>(kind))));
    EXPECT_TRUE(desktop->bus->isConnected()) << desktop->bus->lastError().message().toStdString();
    return desktop;
  }

  DesktopSession& session() { return *desktop_->session; }
  QDBusConnection& bus() { return *desktop_->bus; }

  // The program on the simulated platform, with a fresh configuration.
  ChildProcess* startTactora(const std::string& name) {
    std::filesystem::remove_all(desktop_->program->configurationDirectory());
    logName_ = name;
    return desktop_->program->start(name, {"--platform", "sim"}, desktop_->programEnvironment);
  }
  std::string log() { return session().log(logName_); }

  QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                    const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus().call(message, QDBus::Block, callTimeoutMs);
  }

  QVariant property(const QString& service, const QString& path, const QString& interface,
                    const QString& name) {
    const QDBusMessage reply =
        call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {interface, name});
    return reply.type() == QDBusMessage::ReplyMessage
               ? qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant()
               : QVariant();
  }

  // The items the panel's watcher lists whose bus name belongs to process `pid`.
  std::vector<ItemAddress> itemsOf(pid_t pid) {
    std::vector<ItemAddress> items;
    const QStringList registered =
        property(watcherService, QStringLiteral("/StatusNotifierWatcher"), watcherService,
                 QStringLiteral("RegisteredStatusNotifierItems"))
            .toStringList();
    for (const QString& entry : registered) {
      const auto slash = entry.indexOf(QLatin1Char('/'));
      ItemAddress item{slash < 0 ? entry : entry.left(slash),
                       slash < 0 ? QStringLiteral("/StatusNotifierItem") : entry.mid(slash)};
      if (bus().interface()->servicePid(item.service).value() == static_cast<uint>(pid)) {
        items.push_back(item);
      }
    }
    return items;
  }

  // Waits for the program's one item, as the panel lists it.
  bool awaitItem(pid_t pid) {
    return eventually([&] {
      const auto items = itemsOf(pid);
      if (items.size() == 1) {
        item_ = items.front();
      }
      return items.size() == 1;
    });
  }

  QVariant itemProperty(const char* name) {
    return property(item_.service, item_.path, QStringLiteral("org.kde.StatusNotifierItem"),
                    QString::fromLatin1(name));
  }
  QString menuPath() { return itemProperty("Menu").value<QDBusObjectPath>().path(); }

  // What a host does before it draws the menu: says it opens, then reads it whole.
  Menu openMenu() {
    const QString dbusmenu = QStringLiteral("com.canonical.dbusmenu");
    call(item_.service, menuPath(), dbusmenu, QStringLiteral("AboutToShow"), {0});
    const QDBusMessage reply = call(item_.service, menuPath(), dbusmenu,
                                    QStringLiteral("GetLayout"), {0, -1, QStringList()});
    Menu menu;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
      ADD_FAILURE() << "GetLayout failed: " << reply.errorMessage().toStdString();
      return menu;
    }
    readRows(qvariant_cast<QDBusArgument>(reply.arguments().at(1)), &menu, true);
    return menu;
  }

  void click(const QString& label) {
    const Menu menu = openMenu();
    const auto row = menu.ids.find(label);
    ASSERT_NE(row, menu.ids.end()) << "no row " << label.toStdString();
    call(item_.service, menuPath(), QStringLiteral("com.canonical.dbusmenu"),
         QStringLiteral("Event"),
         {row->second, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
  }

  // The panel as the screen shows it.
  // The top of the screen, the panel's height unless said otherwise.
  QImage panelPicture(int height = 0) {
    height = height > 0 ? height : desktop_->panel->height();
    if (desktop_->sway) {
      const auto file = session().home() / "panel.png";
      session().run({"grim", "-g", "0,0 1280x" + std::to_string(height), file.string()});
      return QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
    }
    Display* connection = XOpenDisplay(desktop_->display.c_str());
    if (connection == nullptr) {
      return {};
    }
    const int width = DisplayWidth(connection, DefaultScreen(connection));
    XImage* image = XGetImage(connection, DefaultRootWindow(connection), 0, 0, width, height,
                              AllPlanes, ZPixmap);
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; image != nullptr && y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        picture.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y) & 0xffffff));
      }
    }
    if (image != nullptr) {
      XDestroyImage(image);
    }
    XCloseDisplay(connection);
    return picture;
  }

  // Pixels of `shown` that differ from `before`; with `iconOnly`, only those in the icon's own
  // colours, its white fill and its dark outline (a host may also draw a box for its tray).
  static int changedPixels(const QImage& shown, const QImage& before, bool iconOnly) {
    int changed = 0;
    for (int y = 0; y < std::min(shown.height(), before.height()); ++y) {
      for (int x = 0; x < std::min(shown.width(), before.width()); ++x) {
        const QRgb pixel = shown.pixel(x, y);
        const int lowest = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
        const int highest = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
        changed += pixel != before.pixel(x, y) && (!iconOnly || lowest >= 0xe0 || highest <= 0x40);
      }
    }
    return changed;
  }

  // The horizontal middle of what changed from `before`: where the panel drew the icon.
  static int changeCentre(const QImage& shown, const QImage& before) {
    int left = shown.width();
    int right = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) {
        if (shown.pixel(x, y) != before.pixel(x, y)) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
      }
    }
    return (left + right) / 2;
  }

  // `width` pixels of `picture` around `centre`, at twice their size for a person to look at.
  void savePicture(const QImage& picture, int centre, int width, const std::string& name) {
    const int x = std::clamp(centre - width / 2, 0, picture.width() - width);
    const QImage part = picture.copy(x, 0, width, picture.height());
    const char* directory = std::getenv("TACTORA_SCREENSHOT_DIR");
    const auto path =
        std::filesystem::path(directory != nullptr ? directory : session().folder().string()) /
        name;
    EXPECT_TRUE(part.scaled(part.size() * 2).save(QString::fromStdString(path.string())));
  }

  Desktop* desktop_ = nullptr;
  std::string logName_;
  ItemAddress item_;
};

std::string hostName(const ::testing::TestParamInfo<TrayPanel::Kind>& info) {
  return info.param == TrayPanel::Kind::waybar ? "WaybarOnSway" : "XfcePanelOnX11";
}

TEST_P(TrayHost, ShowsTheItemAndItsMenuAndActsOnClicks) {
  const QImage emptyPanel = panelPicture();
  ChildProcess* tactora = startTactora("tactora");
  ASSERT_NE(tactora, nullptr);
  ASSERT_TRUE(awaitItem(tactora->pid())) << log();

  EXPECT_EQ(itemProperty("Id").toString(), "com.vellumworks.Tactora");
  EXPECT_EQ(itemProperty("Title").toString(), "Tactora");
  EXPECT_EQ(itemProperty("Category").toString(), "ApplicationStatus");
  EXPECT_EQ(itemProperty("Status").toString(), "Active");
  EXPECT_TRUE(itemProperty("ItemIsMenu").toBool());
  EXPECT_EQ(itemProperty("IconName").toString(), "tactora-gestures-enabled-symbolic");
  EXPECT_EQ(openMenu().lines, menuAtStart(true));

  // The panel draws the icon from the pictures: the theme icon is not installed here.
  QImage shown;
  EXPECT_TRUE(eventually([&] {
    shown = panelPicture();
    return changedPixels(shown, emptyPanel, true) > 40;
  })) << "the panel shows no icon";
  const int iconX = changeCentre(shown, emptyPanel);
  savePicture(shown, iconX, 240,
              GetParam() == TrayPanel::Kind::waybar ? "tray-waybar.png" : "tray-xfce4-panel.png");

  // A click on "Gestures Enabled" switches gestures off, is saved, and is announced to the host.
  SignalCounter layoutUpdates;
  ASSERT_TRUE(bus().connect(item_.service, menuPath(), QStringLiteral("com.canonical.dbusmenu"),
                            QStringLiteral("LayoutUpdated"), &layoutUpdates, SLOT(hit())));
  if (desktop_->sway) {
    click(QStringLiteral("Gestures Enabled"));
  } else {
    // A click on the icon opens the menu as the panel draws it; the row is chosen there.
    const QImage closed = panelPicture(menuHeight);
    session().run({"xdotool", "mousemove", std::to_string(iconX),
                   std::to_string(desktop_->panel->height() / 2), "click", "1"});
    QImage open;
    ASSERT_TRUE(eventually([&] {
      open = panelPicture(menuHeight);
      return changedPixels(open, closed, false) > 5000;
    })) << "no menu opened on a click on the icon";
    savePicture(open, iconX + 150, 400, "tray-menu-xfce4-panel.png");
    session().run({"xdotool", "key", "Down", "Return"});
  }
  const auto config = desktop_->program->configurationDirectory() / "config.json";
  EXPECT_TRUE(eventually([&] {
    QCoreApplication::processEvents();
    std::ifstream file(config);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    return layoutUpdates.count > 0 && text.find("\"enabled\": false") != std::string::npos;
  })) << "LayoutUpdated "
      << layoutUpdates.count << " times; " << log();
  EXPECT_EQ(openMenu().lines, menuAtStart(false));
  EXPECT_EQ(itemProperty("IconName").toString(), "tactora-gestures-disabled-symbolic");
  EXPECT_TRUE(eventually([&] { return changedPixels(panelPicture(), shown, false) > 20; }))
      << "the panel still shows the enabled icon";

  // "Quit Tactora" ends the program, and the icon leaves the panel with it.
  click(QStringLiteral("Quit Tactora"));
  EXPECT_EQ(tactora->wait(20s), 0) << log();
  EXPECT_TRUE(eventually([&] { return itemsOf(tactora->pid()).empty(); }));
}

TEST_P(TrayHost, ItemFollowsAPanelThatStartsLateAndRestarts) {
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
}

// A panel that hangs holds nothing up: the program starts, says the icon was not taken, and the
// item shows once the panel goes on.
TEST_P(TrayHost, AHungPanelHoldsNothingUp) {
  desktop_->panel->pause(true);
  ChildProcess* tactora = startTactora("tactora-hung");
  ASSERT_NE(tactora, nullptr);
  EXPECT_TRUE(eventually([&] {
    return log().find("did not take Tactora's icon") != std::string::npos;
  })) << log();
  desktop_->panel->pause(false);
  EXPECT_TRUE(awaitItem(tactora->pid())) << log();
  EXPECT_EQ(tactora->stop(), 0) << log();
}

// On X11, a program that finds no watcher on its session bus puts Qt's icon into the panel's X11
// tray instead (the panel's watcher is on another bus here).
class X11Tray : public TrayHost {};

TEST_P(X11Tray, WithoutAWatcherQtsIconSitsInThePanelsX11Tray) {
  std::string error;
  auto ownBus = DesktopSession::create({}, &error);
  ASSERT_NE(ownBus, nullptr) << error;
  ownBus->set("DISPLAY", desktop_->display);
  auto program = TactoraProgram::install(*ownBus);
  ASSERT_NE(program, nullptr);
  const QImage emptyPanel = panelPicture();
  ChildProcess* tactora =
      program->start("tactora-xembed", {"--platform", "sim"}, {"QT_QPA_PLATFORM=xcb"});
  ASSERT_NE(tactora, nullptr);
  EXPECT_TRUE(eventually([&] { return changedPixels(panelPicture(), emptyPanel, true) > 40; }))
      << "no icon in the X11 tray: " << ownBus->log("tactora-xembed");
  EXPECT_EQ(ownBus->log("tactora-xembed").find("runs without a tray icon"), std::string::npos);
  EXPECT_EQ(tactora->stop(), 0) << ownBus->log("tactora-xembed");
}

INSTANTIATE_TEST_SUITE_P(RealPanels, X11Tray, ::testing::Values(TrayPanel::Kind::xfcePanel),
                         hostName);

INSTANTIATE_TEST_SUITE_P(RealPanels, TrayHost,
                         ::testing::Values(TrayPanel::Kind::waybar, TrayPanel::Kind::xfcePanel),
                         hostName);

}  // namespace
}  // namespace tactora::testing

#include "TrayHostTests.moc"
