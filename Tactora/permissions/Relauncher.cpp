#include "Tactora/permissions/Relauncher.h"

#include <QCoreApplication>
#include <QProcess>

namespace tactora {

bool Relauncher::relaunchAfterExit(qint64 pid, const QString& program,
                                   const QStringList& arguments) {
  // $1 is the process to wait for, the rest the command; nothing is interpolated into the script.
  const QString script = QStringLiteral(
                             "pid=$1; shift; n=0; "
                             "while kill -0 \"$pid\" 2>/dev/null && [ $n -lt %1 ]; do "
                             "sleep 0.1; n=$((n+1)); done; exec \"$@\"")
                             .arg(maximumWaitTenthsOfSecond);
  QStringList shellArguments{QStringLiteral("-c"), script, QStringLiteral("tactora-relaunch"),
                             QString::number(pid), program};
  shellArguments += arguments;
  return QProcess::startDetached(QStringLiteral("/bin/sh"), shellArguments);
}

bool Relauncher::relaunchThisProgram() {
  QStringList arguments = QCoreApplication::arguments();
  if (!arguments.isEmpty()) {
    arguments.removeFirst();
  }
  return relaunchAfterExit(QCoreApplication::applicationPid(),
                           QCoreApplication::applicationFilePath(), arguments);
}

}  // namespace tactora
