// One application per session on the test's private session bus, with the program on the simulated
// platform.

#include "Tactora/shell/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace tactora::shell {
namespace {

#ifdef TACTORA_EXECUTABLE
// `tactora --platform sim` takes the session's name; a second `tactora` and `tactora settings`
// hand over to it (exiting 0 only once it answered) and SIGTERM ends it with status 0, after which
// asking for its settings window fails with a reason.
TEST(SingleInstance, SecondStartHandsOverAndSigtermQuitsCleanly) {
  QTemporaryDir home;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("HOME"), home.path());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

  QProcess first;
  first.setProcessEnvironment(environment);
  first.start(QStringLiteral(TACTORA_EXECUTABLE),
              {QStringLiteral("--platform"), QStringLiteral("sim")});
  ASSERT_TRUE(first.waitForStarted());
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return bus->isServiceRegistered(QString::fromLatin1(SingleInstance::serviceName)); },
      10000))
      << first.readAllStandardError().toStdString();

  for (const QStringList& arguments :
       {QStringList{QStringLiteral("--platform"), QStringLiteral("sim")},
        QStringList{QStringLiteral("settings")}}) {
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(TACTORA_EXECUTABLE), arguments);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
  }
  EXPECT_EQ(first.state(), QProcess::Running);

  first.terminate();  // SIGTERM
  ASSERT_TRUE(first.waitForFinished(10000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
  QString error;
  EXPECT_FALSE(SingleInstance::askRunningToShowSettings(QDBusConnection::sessionBus(), &error));
  EXPECT_FALSE(error.isEmpty());
}
#endif

}  // namespace
}  // namespace tactora::shell
