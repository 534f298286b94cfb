// tactora-startup-probe: runs the desktop application beside a real tray host and measures how it
// starts and idles. It must run on a private session bus with an X display and a panel that owns
// org.kde.StatusNotifierWatcher there (scripts/measure-startup provides all three, with
// xfce4-panel):
//
//   tactora-startup-probe -- tactora --platform sim
//
// waits for the panel's watcher, then prints how long the program took from exec until the
// watcher listed its tray item, its resident memory after a short settle time, and the context
// switches of all its threads while idle (each one a wakeup: a timer firing, a poll returning),
// then ends it with SIGTERM as a logout would.

#include <sys/types.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <map>
#include <optional>

namespace {

// How long the panel may take to offer its watcher, and the program to register, before the
// probe gives up; how often the watcher's list is read meanwhile.
constexpr int watcherDeadlineMs = 30000;
constexpr int registrationDeadlineMs = 10000;
constexpr int pollMs = 5;
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
// Start-up work that ends shortly after the tray appears (the first configuration read, the
// permission check) settles before memory is read.
constexpr int settleMs = 2000;
constexpr int idleMs = 5000;
constexpr int quitDeadlineMs = 5000;
constexpr double kibPerMib = 1024.0;

struct ThreadSwitches {
  QString name;
  long long count = 0;
};

// A `Key:   value` line of a /proc status file, as a number (VmRSS in kB, switch counts).
std::optional<long long> statusField(const QByteArray& status, const QByteArray& key) {
  for (const QByteArray& line : status.split('\n')) {
    if (line.startsWith(key + ':')) {
      QByteArray value = line.mid(key.size() + 1).trimmed();
      if (value.endsWith(" kB")) {
        value.chop(3);
      }
      bool ok = false;
      const long long number = value.toLongLong(&ok);
      return ok ? std::optional<long long>(number) : std::nullopt;
    }
  }
  return std::nullopt;
}

QByteArray readProcFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Voluntary switches are sleeps that ended (timers, polls, locks); involuntary ones are
// preemptions, which an idle program should not see either. Both count as wakeups here.
std::map<long long, ThreadSwitches> contextSwitches(qint64 pid) {
  std::map<long long, ThreadSwitches> threads;
  const QString taskDirectory = QStringLiteral("/proc/%1/task").arg(pid);
  for (const QString& tid : QDir(taskDirectory).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QByteArray status = readProcFile(taskDirectory + '/' + tid + QStringLiteral("/status"));
    const auto voluntary = statusField(status, "voluntary_ctxt_switches");
    const auto involuntary = statusField(status, "nonvoluntary_ctxt_switches");
    if (!voluntary || !involuntary) {
      continue;  // the thread ended while it was read
    }
    const QString name =
        QString::fromUtf8(readProcFile(taskDirectory + '/' + tid + QStringLiteral("/comm")))
            .trimmed();
    threads[tid.toLongLong()] = ThreadSwitches{name, *voluntary + *involuntary};
  }
  return threads;
}

void say(const QString& line) {
  std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
  std::fflush(stdout);
}

void fail(const QString& line) {
  std::fprintf(stderr, "tactora-startup-probe: %s\n", line.toLocal8Bit().constData());
}

// Runs the program, measures it, ends it; the exit code of the probe says whether all worked.
class Probe : public QObject {
 public:
  Probe(QString program, QStringList arguments)
      : program_(std::move(program)), arguments_(std::move(arguments)) {}

  bool start() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    QElapsedTimer waited;
    waited.start();
    while (bus == nullptr || !bus->isServiceRegistered(watcherService).value()) {
      if (waited.elapsed() > watcherDeadlineMs) {
        fail(QStringLiteral("no tray host owns %1 on the session bus").arg(watcherService));
        return false;
      }
      QThread::msleep(pollMs);
    }
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
      if (!quitting_) {
        fail(QStringLiteral("the program ended on its own (%1 %2) before it was measured")
                 .arg(status == QProcess::NormalExit ? QStringLiteral("exit status")
                                                     : QStringLiteral("crashed, signal"))
                 .arg(code));
        QCoreApplication::exit(1);
      }
    });
    sinceExec_.start();
    process_.start(program_, arguments_);
    if (!process_.waitForStarted()) {
      fail(QStringLiteral("cannot run %1: %2").arg(program_, process_.errorString()));
      return false;
    }
    connect(&poll_, &QTimer::timeout, this, [this] { lookForItem(); });
    poll_.start(pollMs);
    QTimer::singleShot(registrationDeadlineMs, this, [this] {
      if (!measuring_) {
        fail(QStringLiteral("no tray item registered within %1 s")
                 .arg(registrationDeadlineMs / 1000));
        finish(1);
      }
    });
    return true;
  }

 private:
  // The watcher lists items as "bus name/object path"; the program's is the one whose bus name
  // its process owns.
  void lookForItem() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcherService, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcherService << QStringLiteral("RegisteredStatusNotifierItems");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    const double seconds = static_cast<double>(sinceExec_.nsecsElapsed()) / 1e9;
    const QStringList items =
        qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toStringList();
    for (const QString& item : items) {
      const QString service = item.section(QLatin1Char('/'), 0, 0);
      const auto owner = QDBusConnection::sessionBus().interface()->servicePid(service).value();
      if (owner == static_cast<uint>(process_.processId())) {
        registered(item, seconds);
        return;
      }
    }
  }

  void registered(const QString& item, double seconds) {
    poll_.stop();
    measuring_ = true;
    say(QStringLiteral("tray registered after %1 s (%2)").arg(seconds, 0, 'f', 2).arg(item));
    QTimer::singleShot(settleMs, this, [this] { measureIdle(); });
  }

  void measureIdle() {
    const qint64 pid = process_.processId();
    const auto rss = statusField(readProcFile(QStringLiteral("/proc/%1/status").arg(pid)), "VmRSS");
    if (!rss) {
      fail(QStringLiteral("cannot read VmRSS from /proc/%1/status").arg(pid));
      finish(1);
      return;
    }
    say(QStringLiteral("resident memory %1 MB after %2 s idle")
            .arg(static_cast<double>(*rss) / kibPerMib, 0, 'f', 1)
            .arg(settleMs / 1000));
    const auto before = contextSwitches(pid);
    QTimer::singleShot(idleMs, this, [this, pid, before] {
      const auto after = contextSwitches(pid);
      long long total = 0;
      QStringList perThread;
      for (const auto& [tid, thread] : after) {
        const auto earlier = before.find(tid);
        const long long delta =
            thread.count - (earlier != before.end() ? earlier->second.count : 0);
        total += delta;
        if (delta > 0) {
          perThread << QStringLiteral("  %1 (thread %2): %3").arg(thread.name).arg(tid).arg(delta);
        }
      }
      say(QStringLiteral("context switches while idle: %1 in %2 s (%3 threads)")
              .arg(total)
              .arg(idleMs / 1000)
              .arg(after.size()));
      for (const QString& line : perThread) {
        say(line);
      }
      finish(0);
    });
  }

  // SIGTERM, as a logout sends it; the program should quit cleanly and promptly.
  void finish(int code) {
    quitting_ = true;
    process_.terminate();
    if (!process_.waitForFinished(quitDeadlineMs)) {
      fail(QStringLiteral("the program did not quit within %1 s of SIGTERM; killed")
               .arg(quitDeadlineMs / 1000));
      process_.kill();
      process_.waitForFinished();
      code = 1;
    } else if (process_.exitStatus() != QProcess::NormalExit || process_.exitCode() != 0) {
      fail(QStringLiteral("the program ended with status %1 on SIGTERM").arg(process_.exitCode()));
      code = 1;
    }
    QCoreApplication::exit(code);
  }

  QString program_;
  QStringList arguments_;
  QProcess process_;
  QElapsedTimer sinceExec_;
  QTimer poll_;
  bool measuring_ = false;
  bool quitting_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  const auto separator = arguments.indexOf(QStringLiteral("--"));
  if (separator < 0 || separator + 1 >= arguments.size()) {
    std::fprintf(stderr, "usage: tactora-startup-probe -- PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  arguments = arguments.mid(separator + 1);
  const QString program = arguments.takeFirst();
  Probe probe(program, arguments);
  if (!probe.start()) {
    return 1;
  }
  return QCoreApplication::exec();
}
