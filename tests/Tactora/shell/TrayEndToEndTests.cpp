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
#include <ostream>
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

// One row of the exported menu as the panel draws it.
struct MenuRow {
  int id = 0;
  bool separator = false;
  QString label;
  bool enabled = true;
  bool visible = true;
  // "checkmark" for the switches, empty for plain items; the state is 1 when checked.
  QString toggleType;
  int toggleState = -1;
  // Keys joined with '+', sequences with ' ' ("Control+Q").
  QString shortcut;

  bool operator==(const MenuRow& other) const {
    return separator == other.separator && label == other.label && enabled == other.enabled &&
           visible == other.visible && toggleType == other.toggleType &&
           toggleState == other.toggleState && shortcut == other.shortcut;
  }
};

void PrintTo(const MenuRow& row, std::ostream* out) {
  if (row.separator) {
    *out << "----";
    return;
  }
  *out << '"' << row.label.toStdString() << '"' << (row.enabled ? "" : " disabled")
       << (row.visible ? "" : " hidden");
  if (!row.toggleType.isEmpty()) {
    *out << ' ' << row.toggleType.toStdString() << '=' << row.toggleState;
  }
  if (!row.shortcut.isEmpty()) {
    *out << " [" << row.shortcut.toStdString() << ']';
  }
}

MenuRow item(const char* label, const char* shortcut = "") {
  MenuRow row;
  row.label = QString::fromUtf8(label);
  row.shortcut = QString::fromUtf8(shortcut);
  return row;
}

MenuRow checkItem(const char* label, bool checked) {
  MenuRow row = item(label);
  row.toggleType = QStringLiteral("checkmark");
  row.toggleState = checked ? 1 : 0;
  return row;
}

MenuRow separator() {
  MenuRow row;
  row.separator = true;
  return row;
}

// The menu right after start on the simulated platform: permissions granted, no mouse,
// gestures on, no autostart entry in the fresh home.
std::vector<MenuRow> menuAtStart(bool gesturesEnabled) {
  MenuRow status = item("No Magic Mouse detected");
  status.enabled = false;
  std::vector<MenuRow> rows{status,
                            separator(),
                            checkItem("Gestures Enabled", gesturesEnabled),
                            checkItem("Launch at Login", false),
                            separator(),
                            item("Settings\u2026", "Control+,"),
                            item("Permissions\u2026")};
#ifdef TACTORA_TEST_HAS_UPDATE_CHECK
  rows.push_back(item("Check for Updates\u2026"));
#endif
  rows.push_back(separator());
  rows.push_back(item("Quit Tactora", "Control+Q"));
  return rows;
}

// A layout node, (ia{sv}av): id, properties, children (each a variant holding a node).
void readRows(const QDBusArgument& node, std::vector<MenuRow>* rows, bool isRoot) {
  int id = 0;
  QVariantMap properties;
  node.beginStructure();
  node >> id >> properties;
  if (!isRoot) {
    MenuRow row;
    row.id = id;
    row.separator = properties.value(QStringLiteral("type")).toString() == "separator";
    row.label = properties.value(QStringLiteral("label")).toString();
    row.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
    row.visible = properties.value(QStringLiteral("visible"), true).toBool();
    row.toggleType = properties.value(QStringLiteral("toggle-type")).toString();
    row.toggleState = properties.value(QStringLiteral("toggle-state"), -1).toInt();
    QStringList sequences;
    for (const QStringList& keys :
         qdbus_cast<QList<QStringList>>(properties.value(QStringLiteral("shortcut")))) {
      sequences << keys.join(QLatin1Char('+'));
    }
    row.shortcut = sequences.join(QLatin1Char(' '));
    rows->push_back(row);
  }
  node.beginArray();
  while (!node.atEnd()) {
    QDBusVariant child;
    node >> child;
    readRows(qvariant_cast<QDBusArgument>(child.variant()), rows, false);
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
  std::vector<MenuRow> openMenu() {
    call(menuPath_, dbusMenuInterface, QStringLiteral("AboutToShow"), {0});
    const QDBusMessage reply =
        call(menuPath_, dbusMenuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()});
    std::vector<MenuRow> rows;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
      ADD_FAILURE() << "GetLayout failed: " << reply.errorMessage().toStdString();
      return rows;
    }
    readRows(qvariant_cast<QDBusArgument>(reply.arguments().at(1)), &rows, true);
    return rows;
  }

  void click(const std::vector<MenuRow>& rows, const QString& label) {
    for (const MenuRow& row : rows) {
      if (row.label == label) {
        call(menuPath_, dbusMenuInterface, QStringLiteral("Event"),
             {row.id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        return;
      }
    }
    ADD_FAILURE() << "no row " << label.toStdString();
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

  EXPECT_EQ(openMenu(), menuAtStart(true));
}

TEST_F(TrayEndToEnd, PanelClicksSwitchGesturesOffAndQuitTheProgram) {
  click(openMenu(), QStringLiteral("Gestures Enabled"));
  // The click is delivered through the program's event loop; the next opening shows its effect.
  std::vector<MenuRow> rows;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        rows = openMenu();
        return rows == menuAtStart(false);
      },
      callTimeoutMs));
  EXPECT_EQ(rows, menuAtStart(false));

  click(rows, QStringLiteral("Quit Tactora"));
  ASSERT_TRUE(program_.waitForFinished(callTimeoutMs)) << "still running after Quit Tactora";
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0) << program_.readAll().toStdString();
}

}  // namespace
}  // namespace tactora::shell
