#include "Tactora/shell/DBusMenuExporter.h"

#include <QAction>
#include <QActionEvent>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>

namespace tactora::shell {

namespace {

// The root row, which holds the menu's rows.
constexpr int rootId = 0;

// Qt marks a mnemonic with '&' ("&&" for an ampersand); the menu protocol with '_' ("__").
QString protocolLabel(const QString& text) {
  QString label;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == QLatin1Char('_')) {
      label += QStringLiteral("__");
    } else if (c == QLatin1Char('&') && i + 1 < text.size()) {
      label += text.at(i + 1) == QLatin1Char('&') ? QLatin1Char('&') : QLatin1Char('_');
      if (text.at(i + 1) == QLatin1Char('&')) {
        ++i;
      }
    } else {
      label += c;
    }
  }
  return label;
}

// Hosts turn the last name of a shortcut into a key with XStringToKeysym, which knows ","
// only as "comma" and letters only in lower case.
QString keysymName(Qt::Key key) {
  static const QMap<int, QString> names{
      {Qt::Key_Comma, QStringLiteral("comma")},
      {Qt::Key_Period, QStringLiteral("period")},
      {Qt::Key_Slash, QStringLiteral("slash")},
      {Qt::Key_Backslash, QStringLiteral("backslash")},
      {Qt::Key_Semicolon, QStringLiteral("semicolon")},
      {Qt::Key_Apostrophe, QStringLiteral("apostrophe")},
      {Qt::Key_QuoteLeft, QStringLiteral("grave")},
      {Qt::Key_Minus, QStringLiteral("minus")},
      {Qt::Key_Equal, QStringLiteral("equal")},
      {Qt::Key_Plus, QStringLiteral("plus")},
      {Qt::Key_BracketLeft, QStringLiteral("bracketleft")},
      {Qt::Key_BracketRight, QStringLiteral("bracketright")},
      {Qt::Key_Space, QStringLiteral("space")},
      {Qt::Key_Escape, QStringLiteral("Escape")},
      {Qt::Key_Return, QStringLiteral("Return")},
      {Qt::Key_Tab, QStringLiteral("Tab")},
      {Qt::Key_Backspace, QStringLiteral("BackSpace")},
      {Qt::Key_Delete, QStringLiteral("Delete")},
      {Qt::Key_PageUp, QStringLiteral("Page_Up")},
      {Qt::Key_PageDown, QStringLiteral("Page_Down")},
  };
  if (const auto name = names.find(key); name != names.end()) {
    return *name;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    return QChar(QLatin1Char(static_cast<char>('a' + (key - Qt::Key_A))));
  }
  // Digits, function keys, Home, End and the arrows are named alike in both.
  return QKeySequence(key).toString(QKeySequence::PortableText);
}

QList<QStringList> protocolShortcuts(const QAction& action) {
  QList<QStringList> shortcuts;
  for (const QKeySequence& sequence : action.shortcuts()) {
    if (sequence.isEmpty()) {
      continue;
    }
    // A host shows one chord; a sequence of several keys is shown by its first.
    const QKeyCombination chord = sequence[0];
    QStringList names;
    const Qt::KeyboardModifiers modifiers = chord.keyboardModifiers();
    if (modifiers & Qt::ControlModifier) {
      names << QStringLiteral("Control");
    }
    if (modifiers & Qt::AltModifier) {
      names << QStringLiteral("Alt");
    }
    if (modifiers & Qt::ShiftModifier) {
      names << QStringLiteral("Shift");
    }
    if (modifiers & Qt::MetaModifier) {
      names << QStringLiteral("Super");
    }
    names << keysymName(chord.key());
    shortcuts << names;
  }
  return shortcuts;
}

QVariantMap onlyNamed(const QVariantMap& properties, const QStringList& names) {
  if (names.isEmpty()) {
    return properties;
  }
  QVariantMap kept;
  for (const QString& name : names) {
    if (properties.contains(name)) {
      kept.insert(name, properties.value(name));
    }
  }
  return kept;
}

}  // namespace

DBusMenuExporter::DBusMenuExporter(QMenu& menu) : menu_(menu) {
  registerTypes();
  for (QAction* action : menu_.actions()) {
    idOf(action);
  }
  menu_.installEventFilter(this);
}

DBusMenuExporter::~DBusMenuExporter() {
  menu_.removeEventFilter(this);
}

void DBusMenuExporter::registerTypes() {
  qDBusRegisterMetaType<LayoutItem>();
  qDBusRegisterMetaType<ItemProperties>();
  qDBusRegisterMetaType<QList<ItemProperties>>();
  qDBusRegisterMetaType<RemovedProperties>();
  qDBusRegisterMetaType<QList<RemovedProperties>>();
  qDBusRegisterMetaType<HostEvent>();
  qDBusRegisterMetaType<QList<HostEvent>>();
  qDBusRegisterMetaType<QList<QStringList>>();
}

QVariantMap DBusMenuExporter::rowProperties(const QAction& action) {
  QVariantMap row;
  if (action.isSeparator()) {
    row.insert(QStringLiteral("type"), QStringLiteral("separator"));
  } else {
    row.insert(QStringLiteral("label"), protocolLabel(action.text()));
  }
  // Hosts take a row as enabled and visible unless told otherwise.
  if (!action.isEnabled()) {
    row.insert(QStringLiteral("enabled"), false);
  }
  if (!action.isVisible()) {
    row.insert(QStringLiteral("visible"), false);
  }
  if (action.isCheckable()) {
    row.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
    row.insert(QStringLiteral("toggle-state"), action.isChecked() ? 1 : 0);
  }
  if (const QList<QStringList> shortcuts = protocolShortcuts(action); !shortcuts.isEmpty()) {
    row.insert(QStringLiteral("shortcut"), QVariant::fromValue(shortcuts));
  }
  return row;
}

QString DBusMenuExporter::textDirection() const {
  return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                               : QStringLiteral("ltr");
}

int DBusMenuExporter::idOf(QAction* action) {
  auto id = ids_.find(action);
  if (id == ids_.end()) {
    id = ids_.insert(action, nextId_++);
  }
  return *id;
}

QAction* DBusMenuExporter::actionOf(int id) const {
  return ids_.key(id, nullptr);
}

DBusMenuExporter::LayoutItem DBusMenuExporter::layout(const QStringList& propertyNames) {
  LayoutItem root;
  root.id = rootId;
  root.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
  for (QAction* action : menu_.actions()) {
    root.children.append(
        LayoutItem{idOf(action), onlyNamed(rowProperties(*action), propertyNames), {}});
  }
  return root;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 LayoutItem& layoutItem) {
  if (parentId == rootId) {
    layoutItem = layout(propertyNames);
    if (recursionDepth == 0) {
      layoutItem.children.clear();
    }
  } else if (QAction* action = actionOf(parentId)) {
    layoutItem = LayoutItem{parentId, onlyNamed(rowProperties(*action), propertyNames), {}};
  } else if (calledFromDBus()) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no menu row %1").arg(parentId));
  }
  return revision_;
}

QList<DBusMenuExporter::ItemProperties> DBusMenuExporter::GetGroupProperties(
    const QList<int>& ids, const QStringList& propertyNames) {
  QList<ItemProperties> rows;
  const LayoutItem all = layout(propertyNames);
  for (const LayoutItem& row : all.children) {
    if (ids.isEmpty() || ids.contains(row.id)) {
      rows.append(ItemProperties{row.id, row.properties});
    }
  }
  if (ids.contains(rootId)) {
    rows.prepend(ItemProperties{rootId, onlyNamed(all.properties, propertyNames)});
  }
  return rows;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
  const QAction* action = actionOf(id);
  if (action == nullptr) {
    if (calledFromDBus()) {
      sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no menu row %1").arg(id));
    }
    return QDBusVariant(QVariant(0));
  }
  return QDBusVariant(rowProperties(*action).value(name, QVariant(0)));
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (!handleEvent(id, eventId) && calledFromDBus()) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no menu row %1").arg(id));
  }
}

QList<int> DBusMenuExporter::EventGroup(const QList<HostEvent>& events) {
  QList<int> idErrors;
  for (const HostEvent& event : events) {
    if (!handleEvent(event.id, event.eventId)) {
      idErrors.append(event.id);
    }
  }
  return idErrors;
}

bool DBusMenuExporter::handleEvent(int id, const QString& eventId) {
  if (id == rootId) {
    return true;  // "opened" and "closed" of the menu itself: the refresh ran at AboutToShow
  }
  QAction* action = actionOf(id);
  if (action == nullptr) {
    return false;
  }
  if (eventId == QStringLiteral("clicked") && action->isEnabled()) {
    // After the reply: an action may quit or open a window, and the host waits for its answer.
    QTimer::singleShot(0, action, &QAction::trigger);
  }
  return true;
}

bool DBusMenuExporter::AboutToShow(int id) {
  if (id != rootId) {
    return false;
  }
  const uint before = revision_;
  Q_EMIT menu_.aboutToShow();
  return revision_ != before;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  QList<int> updatesNeeded;
  for (const int id : ids) {
    if (id != rootId && actionOf(id) == nullptr) {
      idErrors.append(id);
    } else if (AboutToShow(id)) {
      updatesNeeded.append(id);
    }
  }
  return updatesNeeded;
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == &menu_ && (type == QEvent::ActionAdded || type == QEvent::ActionChanged ||
                            type == QEvent::ActionRemoved)) {
    if (type == QEvent::ActionRemoved) {
      ids_.remove(static_cast<QActionEvent*>(event)->action());
    }
    changed();
  }
  return QObject::eventFilter(watched, event);
}

void DBusMenuExporter::changed() {
  ++revision_;
  // A refresh changes several rows at once; hosts read the menu again once for all of them.
  if (!announcing_) {
    announcing_ = true;
    QTimer::singleShot(0, this, [this] {
      announcing_ = false;
      Q_EMIT LayoutUpdated(revision_, rootId);
    });
  }
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuExporter::LayoutItem& item) {
  argument.beginStructure();
  argument << item.id << item.properties;
  argument.beginArray(QMetaType::fromType<QDBusVariant>());
  for (const DBusMenuExporter::LayoutItem& child : item.children) {
    argument << QDBusVariant(QVariant::fromValue(child));
  }
  argument.endArray();
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuExporter::LayoutItem& item) {
  argument.beginStructure();
  argument >> item.id >> item.properties;
  argument.beginArray();
  item.children.clear();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    item.children.append(qdbus_cast<DBusMenuExporter::LayoutItem>(child.variant()));
  }
  argument.endArray();
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuExporter::ItemProperties& item) {
  argument.beginStructure();
  argument << item.id << item.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument,
                                DBusMenuExporter::ItemProperties& item) {
  argument.beginStructure();
  argument >> item.id >> item.properties;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument,
                          const DBusMenuExporter::RemovedProperties& item) {
  argument.beginStructure();
  argument << item.id << item.names;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument,
                                DBusMenuExporter::RemovedProperties& item) {
  argument.beginStructure();
  argument >> item.id >> item.names;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuExporter::HostEvent& event) {
  argument.beginStructure();
  argument << event.id << event.eventId << event.data << event.timestamp;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuExporter::HostEvent& event) {
  argument.beginStructure();
  argument >> event.id >> event.eventId >> event.data >> event.timestamp;
  argument.endStructure();
  return argument;
}

}  // namespace tactora::shell
