#include "tools/startup/StandInStatusWatcher.h"

#include <QDBusConnectionInterface>

namespace tactora::tools {

namespace {

constexpr const char* defaultItemPath = "/StatusNotifierItem";

}  // namespace

StandInStatusWatcher::StandInStatusWatcher(QDBusConnection connection)
    : connection_(std::move(connection)) {}

StandInStatusWatcher::~StandInStatusWatcher() {
  if (ownsName_) {
    connection_.unregisterService(QString::fromLatin1(serviceName));
  }
  if (exported_) {
    connection_.unregisterObject(QString::fromLatin1(objectPath));
  }
}

bool StandInStatusWatcher::start(QString* error) {
  if (!connection_.isConnected()) {
    *error = QStringLiteral("no session bus (DBUS_SESSION_BUS_ADDRESS): ") +
             connection_.lastError().message();
    return false;
  }
  exported_ = connection_.registerObject(QString::fromLatin1(objectPath), this,
                                         QDBusConnection::ExportAllSlots |
                                             QDBusConnection::ExportAllSignals |
                                             QDBusConnection::ExportAllProperties);
  if (!exported_) {
    *error = QStringLiteral("cannot export %1: %2")
                 .arg(QString::fromLatin1(objectPath), connection_.lastError().message());
    return false;
  }
  ownsName_ = connection_.registerService(QString::fromLatin1(serviceName));
  if (!ownsName_) {
    *error = QStringLiteral("cannot own %1 (is a panel already running on this bus?): %2")
                 .arg(QString::fromLatin1(serviceName), connection_.lastError().message());
    return false;
  }
  return true;
}

QStringList StandInStatusWatcher::registeredStatusNotifierItems() const {
  QStringList names;
  for (const Item& item : items_) {
    names << item.service + item.path;
  }
  return names;
}

void StandInStatusWatcher::RegisterStatusNotifierItem(const QString& serviceOrPath) {
  Item item;
  if (serviceOrPath.startsWith(QLatin1Char('/'))) {
    item.service = calledFromDBus() ? message().service() : QString();
    item.path = serviceOrPath;
  } else {
    item.service = serviceOrPath;
    item.path = QString::fromLatin1(defaultItemPath);
  }
  items_.push_back(item);
  Q_EMIT StatusNotifierItemRegistered(item.service + item.path);
  if (onItemRegistered) {
    onItemRegistered(items_.back());
  }
}

void StandInStatusWatcher::RegisterStatusNotifierHost(const QString& /*service*/) {
  Q_EMIT StatusNotifierHostRegistered();
}

}  // namespace tactora::tools
