#include "Tactora/shell/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QMenu>
#include <QtEndian>

#include "Platform/Logger.h"

namespace tactora::shell {

namespace {

constexpr platform::Logger logger{"AppDelegate"};
constexpr const char* watcherPath = "/StatusNotifierWatcher";
// A watcher that has not answered by then is taken as absent: the program must not wait on a
// panel that hangs.
constexpr int answerTimeoutMs = 10000;

StatusNotifierItem::Pixmap pixmapOf(const QIcon& icon, int size) {
  const QImage image = icon.pixmap(QSize(size, size), 1.0)
                           .toImage()
                           .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_ARGB32);
  StatusNotifierItem::Pixmap pixmap{image.width(), image.height(), {}};
  pixmap.pixels.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
  auto* out = reinterpret_cast<uchar*>(pixmap.pixels.data());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x, out += 4) {
      qToBigEndian(row[x], out);
    }
  }
  return pixmap;
}

}  // namespace

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QMenu& menu)
    : bus_(std::move(bus)),
      menu_(menu),
      menuExporter_(menu),
      serviceName_(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                       .arg(QCoreApplication::applicationPid())) {
  qDBusRegisterMetaType<Pixmap>();
  qDBusRegisterMetaType<QList<Pixmap>>();
  qDBusRegisterMetaType<ToolTip>();
}

StatusNotifierItem::~StatusNotifierItem() {
  if (exported_) {
    // The watcher sees the name go and drops the item at once, so the icon leaves with us.
    bus_.unregisterService(serviceName_);
    bus_.unregisterObject(QString::fromLatin1(menuObjectPath));
    bus_.unregisterObject(QString::fromLatin1(itemPath));
  }
}

void StatusNotifierItem::setIcon(const QString& themeName, const QIcon& icon) {
  iconName_ = themeName;
  pixmaps_.clear();
  for (const int size : pixmapSizes) {
    pixmaps_.append(pixmapOf(icon, size));
  }
  Q_EMIT NewIcon();
}

void StatusNotifierItem::start() {
  if (!bus_.isConnected()) {
    tell(false);
    return;
  }
  const auto exports = QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSlots;
  // The item's own `hostChanged` is for the shell, not for the bus.
  if (!bus_.registerObject(QString::fromLatin1(itemPath), this,
                           exports | QDBusConnection::ExportScriptableSignals) ||
      !bus_.registerObject(QString::fromLatin1(menuObjectPath), &menuExporter_,
                           exports | QDBusConnection::ExportAllSignals) ||
      !bus_.registerService(serviceName_)) {
    logger.error("cannot offer the tray icon on the session bus as %{public}s: %{public}s",
                 {serviceName_.toStdString(), bus_.lastError().message().toStdString()});
    tell(false);
    return;
  }
  exported_ = true;

  const QString watcher = QString::fromLatin1(watcherService);
  watcherWatcher_ = std::make_unique<QDBusServiceWatcher>(watcher, bus_,
                                                          QDBusServiceWatcher::WatchForOwnerChange);
  connect(watcherWatcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& newOwner) {
            if (newOwner.isEmpty()) {
              tell(false);
            } else {
              registerWithWatcher();
            }
          });
  // A watcher that had no host shows the item once one registers.
  bus_.connect(watcher, QString::fromLatin1(watcherPath), watcher,
               QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(askWhetherAHostShows()));
  if (bus_.interface()->isServiceRegistered(watcher)) {
    registerWithWatcher();
  } else {
    tell(false);
  }
}

void StatusNotifierItem::registerWithWatcher() {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(watcherService), QString::fromLatin1(watcherPath),
      QString::fromLatin1(watcherService), QStringLiteral("RegisterStatusNotifierItem"));
  call << serviceName_;
  auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call, answerTimeoutMs), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* reply) {
            reply->deleteLater();
            if (!reply->isError()) {
              unanswered_ = false;
              askWhetherAHostShows();
              return;
            }
            const bool hung = reply->error().type() == QDBusError::NoReply ||
                              reply->error().type() == QDBusError::Timeout;
            if (!unanswered_) {
              logger.error("the tray host (%{public}s) did not take Tactora's icon: %{public}s",
                           {std::string(watcherService), reply->error().message().toStdString()});
            }
            unanswered_ = hung;
            tell(false);
            // A panel that hangs may come back: asked again, one call at a time, it then shows
            // the item (and the X11 stand-in goes) without waiting for the panel to restart.
            if (hung) {
              registerWithWatcher();
            }
          });
}

void StatusNotifierItem::askWhetherAHostShows() {
  QDBusMessage get = QDBusMessage::createMethodCall(
      QString::fromLatin1(watcherService), QString::fromLatin1(watcherPath),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << QString::fromLatin1(watcherService) << QStringLiteral("IsStatusNotifierHostRegistered");
  auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get, answerTimeoutMs), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* reply) {
            reply->deleteLater();
            const QDBusPendingReply<QDBusVariant> answer = *reply;
            // A watcher that took the item but keeps the host to itself is taken at its word.
            tell(answer.isError() || answer.value().variant().toBool());
          });
}

void StatusNotifierItem::tell(bool shown) {
  Q_EMIT hostChanged(shown);
}

void StatusNotifierItem::ContextMenu(int x, int y) {
  menu_.popup(QPoint(x, y));
}

void StatusNotifierItem::Activate(int x, int y) {
  menu_.popup(QPoint(x, y));
}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::Scroll(int, const QString&) {}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::Pixmap& pixmap) {
  argument.beginStructure();
  argument << pixmap.width << pixmap.height << pixmap.pixels;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierItem::Pixmap& pixmap) {
  argument.beginStructure();
  argument >> pixmap.width >> pixmap.height >> pixmap.pixels;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::ToolTip& toolTip) {
  argument.beginStructure();
  argument << toolTip.iconName << toolTip.pixmaps << toolTip.title << toolTip.text;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument,
                                StatusNotifierItem::ToolTip& toolTip) {
  argument.beginStructure();
  argument >> toolTip.iconName >> toolTip.pixmaps >> toolTip.title >> toolTip.text;
  argument.endStructure();
  return argument;
}

}  // namespace tactora::shell
