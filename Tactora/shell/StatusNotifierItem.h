#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

#include "Tactora/shell/DBusMenuExporter.h"

class QDBusServiceWatcher;
class QMenu;

namespace tactora::shell {

// Tactora's item in the tray hosts of the session bus (org.kde.StatusNotifierItem): its id, title,
// status and icon — by theme name, and as pictures for hosts that cannot find the theme's icon —
// with the menu exported beside it for the host to draw (ItemIsMenu: a click opens the menu). It
// registers with the hosts' watcher whenever one appears: at start, later (panels often start
// after the autostart entries) and again after the panel restarts; the watcher drops the item by
// itself when the program ends. GUI thread only.
class StatusNotifierItem final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconThemePath READ noName)
  Q_PROPERTY(QString IconName READ iconName)
  Q_PROPERTY(QList<tactora::shell::StatusNotifierItem::Pixmap> IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ noName)
  Q_PROPERTY(QList<tactora::shell::StatusNotifierItem::Pixmap> OverlayIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionIconName READ noName)
  Q_PROPERTY(QList<tactora::shell::StatusNotifierItem::Pixmap> AttentionIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionMovieName READ noName)
  Q_PROPERTY(tactora::shell::StatusNotifierItem::ToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menuPath)

 public:
  // One picture of the icon, (iiay): width, height and ARGB32 pixels in network byte order.
  struct Pixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
  };
  // (sa(iiay)ss): icon name, pictures, title, text. The item sets no tooltip.
  struct ToolTip {
    QString iconName;
    QList<Pixmap> pixmaps;
    QString title;
    QString text;
  };

  static constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
  static constexpr const char* itemPath = "/StatusNotifierItem";
  static constexpr const char* menuObjectPath = "/MenuBar";
  // The edge lengths, in pixels, of the pictures sent beside the icon's name.
  static constexpr int pixmapSizes[] = {16, 22, 24, 32, 48, 64};

  StatusNotifierItem(QDBusConnection bus, QMenu& menu);
  ~StatusNotifierItem() override;

  // The icon by theme name and as pictures; hosts are told to read it again.
  void setIcon(const QString& themeName, const QIcon& icon);

  // Exports the item and its menu, takes the item's bus name and registers with the watcher now
  // and whenever one appears. Each outcome is told by `hostChanged`.
  void start();

  const QString& serviceName() const { return serviceName_; }
  // The watcher let the last registration go unanswered (a panel that hangs); it is asked again.
  bool watcherHangs() const { return unanswered_; }

  QString category() const { return QStringLiteral("ApplicationStatus"); }
  QString id() const { return QStringLiteral("com.vellumworks.Tactora"); }
  QString title() const { return QStringLiteral("Tactora"); }
  QString status() const { return QStringLiteral("Active"); }
  int windowId() const { return 0; }
  QString noName() const { return {}; }
  QString iconName() const { return iconName_; }
  QList<Pixmap> iconPixmap() const { return pixmaps_; }
  QList<Pixmap> noPixmaps() const { return {}; }
  ToolTip toolTip() const { return {}; }
  bool itemIsMenu() const { return true; }
  QDBusObjectPath menuPath() const { return QDBusObjectPath(QString::fromLatin1(menuObjectPath)); }

 public Q_SLOTS:
  // Hosts that draw no menu themselves, or ignore ItemIsMenu, ask for the menu at a point.
  void ContextMenu(int x, int y);
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  void Scroll(int delta, const QString& orientation);

 Q_SIGNALS:
  // The item's signals on the bus (only the scriptable ones are exported).
  Q_SCRIPTABLE void NewTitle();
  Q_SCRIPTABLE void NewIcon();
  Q_SCRIPTABLE void NewAttentionIcon();
  Q_SCRIPTABLE void NewOverlayIcon();
  Q_SCRIPTABLE void NewToolTip();
  Q_SCRIPTABLE void NewStatus(const QString& status);
  // For the shell: true once a watcher took the item and a host shows it, false when there is
  // none (no bus, no watcher, a watcher that refused or did not answer, or one without a host) or
  // the watcher went away.
  void hostChanged(bool shown);

 private Q_SLOTS:
  // Reads whether a host shows the watcher's items, and tells.
  void askWhetherAHostShows();

 private:
  void registerWithWatcher();
  void tell(bool shown);

  QDBusConnection bus_;
  QMenu& menu_;
  DBusMenuExporter menuExporter_;
  QString serviceName_;
  QString iconName_;
  QList<Pixmap> pixmaps_;
  std::unique_ptr<QDBusServiceWatcher> watcherWatcher_;
  bool exported_ = false;
  // Said once in the log until the watcher answers again.
  bool unanswered_ = false;
};

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::Pixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierItem::Pixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::ToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                StatusNotifierItem::ToolTip& toolTip);

}  // namespace tactora::shell

Q_DECLARE_METATYPE(tactora::shell::StatusNotifierItem::Pixmap)
Q_DECLARE_METATYPE(tactora::shell::StatusNotifierItem::ToolTip)
