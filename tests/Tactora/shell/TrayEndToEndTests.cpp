// The tray as a panel sees it. The program runs on a private X display (Xvfb) and on the case's
// private session bus, where a stand-in panel watcher answers; Qt then shows the icon as a
// StatusNotifierItem and exports its menu over com.canonical.dbusmenu, which is all a panel reads.
// The menu must carry the tray menu's titles in order, its separators, enabled flags, check
// marks and shortcuts, refresh when the panel opens it, and act on the panel's clicks.

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <string>
#include <vector>

#include "tests/Platform/linux/x11/XvfbSession.h"
#include "tools/startup/StandInStatusWatcher.h"

namespace tactora::shell {
namespace {

// Generous for a loaded two-core machine; on an idle one the item registers in about 0.1 s.
constexpr int startDeadlineMs = 10000;
constexpr int callTimeoutMs = 5000;

const QString dbusMenuInterface = QStringLiteral("com.canonical.dbusmenu");
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

// The exported menu as a panel draws it, one line per row in the words of the tray menu's own
// tests: "---" for a separator, "[x] "/"[ ] " before a check mark, the shortcut after a tab
// (keys joined with '+'), " (disabled)" and " (hidden)" after rows that cannot be chosen or are
// not shown. The ids are what a panel sends back when a row is clicked.
struct ExportedMenu {
  std::vector<std::string> lines;
  std::map<QString, int> ids;
};

// The menu right after start on the simulated platform: permissions granted, no mouse,
// gestures on, no autostart entry in the fresh home.
std::vector<std::string> menuAtStart(bool gesturesEnabled) {
  std::vector<std::string> lines{"No Magic Mouse detected (disabled)",
                                 "---",
                                 gesturesEnabled ? "[x] Gestures Enabled" : "[ ] Gestures Enabled",
                                 "[ ] Launch at Login",
                                 "---",
                                 "Settings\u2026\tControl+,",
                                 "Permissions\u2026"};
#ifdef TACTORA_TEST_HAS_UPDATE_CHECK
  lines.push_back("Check for Updates\u2026");
#endif
  lines.insert(lines.end(), {"---", "Quit Tactora\tControl+Q"});
  return lines;
}

std::string describe(const QVariantMap& properties) {
  const auto value = [&](const char* name, const QVariant& fallback = {}) {
    return properties.value(QString::fromLatin1(name), fallback);
  };
  if (value("type").toString() == QStringLiteral("separator")) {
    return "---";
  }
  std::string line;
  const QString toggleType = value("toggle-type").toString();
  const int toggleState = value("toggle-state", -1).toInt();
  if (toggleType == QStringLiteral("checkmark")) {
    line = toggleState == 1 ? "[x] " : "[ ] ";
  } else if (!toggleType.isEmpty() || toggleState != -1) {
    line = "<" + toggleType.toStdString() + "=" + std::to_string(toggleState) + "> ";
  }
  line += value("label").toString().toStdString();
  QStringList sequences;
  for (const QStringList& keys : qdbus_cast<QList<QStringList>>(value("shortcut"))) {
    sequences << keys.join(QLatin1Char('+'));
  }
  if (!sequences.isEmpty()) {
    line += "\t" + sequences.join(QLatin1Char(' ')).toStdString();
  }
  line += value("enabled", true).toBool() ? "" : " (disabled)";
  line += value("visible", true).toBool() ? "" : " (hidden)";
  return line;
}

// A layout node, (ia{sv}av): id, properties, children (each a variant holding a node).
void readRows(const QDBusArgument& node, ExportedMenu* menu, bool isRoot) {
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

// The program on the simulated platform, with a display, a stand-in watcher and a fresh home.
class TrayEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
#ifndef TACTORA_EXECUTABLE
    GTEST_SKIP() << "the tactora program is not built";
#else
    if (!lx::test::XvfbSession::installed()) {
      GTEST_SKIP() << "Xvfb is not installed (scripts/setup)";
    }
    // No window manager: the tray needs only the display, and openbox would cost start-up time.
    display_ = lx::test::XvfbSession::start(false);
    ASSERT_NE(display_, nullptr);
    QString error;
    ASSERT_TRUE(watcher_.start(&error)) << error.toStdString();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Qt uses the tray over D-Bus only when a watcher answers at its start and its platform
    // theme offers it; the generic X11 theme does. The desktop variables that would choose
    // another theme (or Wayland) are cleared so the case runs the same everywhere.
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "QT_QPA_PLATFORMTHEME", "WAYLAND_DISPLAY"}) {
      environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display_->displayName()));
    environment.insert(QStringLiteral("HOME"), home_.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path() + "/config");
    program_.setProcessEnvironment(environment);
    program_.setProcessChannelMode(QProcess::MergedChannels);
    program_.start(QStringLiteral(TACTORA_EXECUTABLE),
                   {QStringLiteral("--platform"), QStringLiteral("sim")});
    ASSERT_TRUE(program_.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher_.items().empty(); }, startDeadlineMs))
        << "no tray item registered; the program said:\n"
        << program_.readAll().toStdString();
    item_ = watcher_.items().front();
    menuPath_ = itemProperty(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    ASSERT_FALSE(menuPath_.isEmpty()) << "the item names no menu";
#endif
  }

  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.terminate();
      if (!program_.waitForFinished(callTimeoutMs)) {
        program_.kill();
        program_.waitForFinished();
      }
    }
  }

  QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(item_.service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
  }

  QVariant itemProperty(const QString& name) {
    const QDBusMessage reply = call(item_.path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {itemInterface, name});
    return reply.type() == QDBusMessage::ReplyMessage
               ? qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant()
               : QVariant();
  }

  // What a panel does before it draws the menu: tells the program it opens, then reads it whole.
  ExportedMenu openMenu() {
    call(menuPath_, dbusMenuInterface, QStringLiteral("AboutToShow"), {0});
    const QDBusMessage reply =
        call(menuPath_, dbusMenuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()});
    ExportedMenu menu;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
      ADD_FAILURE() << "GetLayout failed: " << reply.errorMessage().toStdString();
      return menu;
    }
    readRows(qvariant_cast<QDBusArgument>(reply.arguments().at(1)), &menu, true);
    return menu;
  }

  void click(const ExportedMenu& menu, const QString& label) {
    const auto row = menu.ids.find(label);
    ASSERT_NE(row, menu.ids.end()) << "no row " << label.toStdString();
    call(menuPath_, dbusMenuInterface, QStringLiteral("Event"),
         {row->second, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
  }

  std::unique_ptr<lx::test::XvfbSession> display_;
  tools::StandInStatusWatcher watcher_{QDBusConnection::sessionBus()};
  QTemporaryDir home_;
  QProcess program_;
  tools::StandInStatusWatcher::Item item_;
  QString menuPath_;
};

TEST_F(TrayEndToEnd, PanelSeesTheActiveIconAndTheWholeMenu) {
  // The item is the program's own, shown, with an icon a panel can draw.
  const auto owner = QDBusConnection::sessionBus().interface()->servicePid(item_.service).value();
  EXPECT_EQ(owner, static_cast<uint>(program_.processId()));
  EXPECT_EQ(itemProperty(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
  const bool hasIcon = !itemProperty(QStringLiteral("IconName")).toString().isEmpty() ||
                       itemProperty(QStringLiteral("IconPixmap")).isValid();
  EXPECT_TRUE(hasIcon) << "the item has neither an icon name nor pixmaps";

  EXPECT_EQ(openMenu().lines, menuAtStart(true));
}

TEST_F(TrayEndToEnd, PanelClicksSwitchGesturesOffAndQuitTheProgram) {
  click(openMenu(), QStringLiteral("Gestures Enabled"));
  // The click is delivered through the program's event loop; the next opening shows its effect.
  ExportedMenu menu;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        menu = openMenu();
        return menu.lines == menuAtStart(false);
      },
      callTimeoutMs));
  EXPECT_EQ(menu.lines, menuAtStart(false));

  click(menu, QStringLiteral("Quit Tactora"));
  ASSERT_TRUE(program_.waitForFinished(callTimeoutMs)) << "still running after Quit Tactora";
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0) << program_.readAll().toStdString();
}

}  // namespace
}  // namespace tactora::shell
