#pragma once

#include <QString>
#include <QStringList>

namespace tactora {

// Starts the program again after the running instance has gone. The new instance must not start
// while this one still runs: it would find the running one on the session bus, hand over to it
// and exit, and both would be gone a moment later. So a small detached shell waits for this
// process to end (at most ten seconds) and then starts the program.
class Relauncher {
 public:
  static constexpr int maximumWaitTenthsOfSecond = 100;

  // Starts the waiting shell for process `pid`; false when it could not be started.
  static bool relaunchAfterExit(qint64 pid, const QString& program, const QStringList& arguments);
  // The running program, with the arguments it was started with.
  static bool relaunchThisProgram();
};

}  // namespace tactora
