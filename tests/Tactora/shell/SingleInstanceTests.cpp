// One application per session on the test's private session bus: in process with two bus
// connections, and end to end with the program on the simulated platform.

#include "Tactora/shell/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

namespace tactora::shell {
namespace {

TEST(SingleInstance, SecondClaimFindsTheFirstAndAsksItForSettings) {
  SingleInstance first(QDBusConnection::sessionBus());
  ASSERT_EQ(first.claim(), SingleInstance::Claim::owner);
  int shown = 0;
  QObject::connect(&first, &SingleInstance::showSettingsRequested, [&] { ++shown; });

  const QDBusConnection other =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"));
  SingleInstance second(other);
  EXPECT_EQ(second.claim(), SingleInstance::Claim::alreadyRunning);

  // The call blocks its caller; the first instance answers from this thread's event loop.
  bool answered = false;
  QString error;
  std::thread caller([&] { answered = SingleInstance::askRunningToShowSettings(other, &error); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown == 1; }, 5000));
  caller.join();
  EXPECT_TRUE(answered) << error.toStdString();
  QDBusConnection::disconnectFromBus(QStringLiteral("second"));
}

TEST(SingleInstance, AskingWhenNoneRunsFailsWithAReason) {
  QString error;
  EXPECT_FALSE(SingleInstance::askRunningToShowSettings(QDBusConnection::sessionBus(), &error));
  EXPECT_FALSE(error.isEmpty());
}

#ifdef TACTORA_EXECUTABLE
// The program itself: `tactora --platform sim` takes the name, a second `tactora` and
// `tactora settings` hand over and exit 0, and SIGTERM ends the first with status 0.
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
}
#endif

}  // namespace
}  // namespace tactora::shell
