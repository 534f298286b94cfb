#include "Tactora/shell/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace tactora::shell {

namespace {

// The running instance answers at once; a generous bound covers a busy machine.
constexpr int callTimeoutMs = 5000;

}  // namespace

SingleInstance::SingleInstance(QDBusConnection connection) : connection_(std::move(connection)) {}

SingleInstance::~SingleInstance() {
  if (exported_) {
    connection_.unregisterObject(QString::fromLatin1(objectPath));
  }
}

SingleInstance::Claim SingleInstance::claim() {
  if (!connection_.isConnected() || connection_.interface() == nullptr) {
    return Claim::noBus;
  }
  // The object first, so that a caller who sees the name finds the method behind it.
  exported_ = connection_.registerObject(QString::fromLatin1(objectPath), this,
                                         QDBusConnection::ExportScriptableSlots);
  const auto reply = connection_.interface()->registerService(
      QString::fromLatin1(serviceName), QDBusConnectionInterface::DontQueueService,
      QDBusConnectionInterface::DontAllowReplacement);
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
    return Claim::owner;
  }
  connection_.unregisterObject(QString::fromLatin1(objectPath));
  exported_ = false;
  return reply.isValid() ? Claim::alreadyRunning : Claim::noBus;
}

bool SingleInstance::askRunningToShowSettings(const QDBusConnection& connection, QString* error) {
  const QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
      QString::fromLatin1(interfaceName), QStringLiteral("ShowSettings"));
  const QDBusMessage reply = connection.call(call, QDBus::Block, callTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage) {
    return true;
  }
  if (error != nullptr) {
    *error = reply.errorMessage();
  }
  return false;
}

void SingleInstance::ShowSettings() {
  Q_EMIT showSettingsRequested();
}

}  // namespace tactora::shell
