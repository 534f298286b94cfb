#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tactora::tools {

// The part of a panel that QSystemTrayIcon talks to: it owns org.kde.StatusNotifierWatcher on a
// session bus, says a host is present, and records the items that register. Qt shows its tray
// icon as a StatusNotifierItem only when this service answers at start-up, so tests and the
// start-up measurement run the program against it on a private bus instead of a real panel.
class StandInStatusWatcher final : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredStatusNotifierItems)

 public:
  // Where a registered item lives: its bus name and object path.
  struct Item {
    QString service;
    QString path;
  };

  static constexpr const char* serviceName = "org.kde.StatusNotifierWatcher";
  static constexpr const char* objectPath = "/StatusNotifierWatcher";

  explicit StandInStatusWatcher(QDBusConnection connection);
  ~StandInStatusWatcher() override;
  StandInStatusWatcher(const StandInStatusWatcher&) = delete;
  StandInStatusWatcher& operator=(const StandInStatusWatcher&) = delete;

  // Exports the object and takes the name. False, with the reason in `error`, when the bus is
  // missing or another watcher holds the name.
  bool start(QString* error);

  const std::vector<Item>& items() const { return items_; }
  // Called on the connection's thread for every registration, after it is recorded.
  std::function<void(const Item&)> onItemRegistered;

  bool isStatusNotifierHostRegistered() const { return true; }
  int protocolVersion() const { return 0; }
  QStringList registeredStatusNotifierItems() const;

 public Q_SLOTS:
  // `serviceOrPath` is a bus name (the item is at /StatusNotifierItem there, as Qt registers) or
  // an object path on the caller's own connection (as KDE's and Ayatana's libraries register).
  void RegisterStatusNotifierItem(const QString& serviceOrPath);
  void RegisterStatusNotifierHost(const QString& service);

 Q_SIGNALS:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierItemUnregistered(const QString& item);
  void StatusNotifierHostRegistered();

 private:
  QDBusConnection connection_;
  bool exported_ = false;
  bool ownsName_ = false;
  std::vector<Item> items_;
};

}  // namespace tactora::tools
