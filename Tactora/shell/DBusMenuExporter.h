#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

namespace tactora::shell {

// A flat QMenu as tray hosts read it over the session bus (com.canonical.dbusmenu), so that the
// panel draws the menu itself: each action is a row with its label, separator, enabled flag,
// check mark and shortcut; the host's AboutToShow lets the menu refresh before it is drawn; a
// click the host reports triggers the action; every change to the rows is announced with
// LayoutUpdated so an open or cached menu is read again. GUI thread only.
class DBusMenuExporter final : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  // A row and the rows below it, (ia{sv}av); the root row has id 0.
  struct LayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<LayoutItem> children;
  };
  // A row's properties, (ia{sv}).
  struct ItemProperties {
    int id = 0;
    QVariantMap properties;
  };
  // Properties a row no longer has, (ias).
  struct RemovedProperties {
    int id = 0;
    QStringList names;
  };
  // One event of a batch the host sends, (isvu).
  struct HostEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
  };

  explicit DBusMenuExporter(QMenu& menu);
  ~DBusMenuExporter() override;

  // The types above, known to Qt D-Bus; called by the constructor, and by tests that read rows.
  static void registerTypes();

  // The row of an action as hosts read it. A shortcut is written the way hosts parse it: the
  // modifier names ("Control", "Alt", "Shift", "Super") and then the key's X keysym name
  // ("comma", "q"), one list per key sequence.
  static QVariantMap rowProperties(const QAction& action);

  uint version() const { return 3; }
  QString textDirection() const;
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public Q_SLOTS:
  uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                 tactora::shell::DBusMenuExporter::LayoutItem& layout);
  QList<tactora::shell::DBusMenuExporter::ItemProperties> GetGroupProperties(
      const QList<int>& ids, const QStringList& propertyNames);
  QDBusVariant GetProperty(int id, const QString& name);
  void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  QList<int> EventGroup(const QList<tactora::shell::DBusMenuExporter::HostEvent>& events);
  bool AboutToShow(int id);
  QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 Q_SIGNALS:
  void ItemsPropertiesUpdated(
      const QList<tactora::shell::DBusMenuExporter::ItemProperties>& updatedProps,
      const QList<tactora::shell::DBusMenuExporter::RemovedProperties>& removedProps);
  void LayoutUpdated(uint revision, int parent);
  void ItemActivationRequested(int id, uint timestamp);

 protected:
  // Every added, changed or removed action of the menu is a new layout revision.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int idOf(QAction* action);
  QAction* actionOf(int id) const;
  LayoutItem layout(const QStringList& propertyNames);
  void changed();
  // Runs an event the host reports; false when the id names no row.
  bool handleEvent(int id, const QString& eventId);

  QMenu& menu_;
  QMap<QAction*, int> ids_;
  int nextId_ = 1;
  uint revision_ = 1;
  bool announcing_ = false;
};

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuExporter::LayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuExporter::LayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuExporter::ItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                DBusMenuExporter::ItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuExporter::RemovedProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                DBusMenuExporter::RemovedProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuExporter::HostEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuExporter::HostEvent& event);

}  // namespace tactora::shell

Q_DECLARE_METATYPE(tactora::shell::DBusMenuExporter::LayoutItem)
Q_DECLARE_METATYPE(tactora::shell::DBusMenuExporter::ItemProperties)
Q_DECLARE_METATYPE(tactora::shell::DBusMenuExporter::RemovedProperties)
Q_DECLARE_METATYPE(tactora::shell::DBusMenuExporter::HostEvent)
