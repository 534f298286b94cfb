// The permissions window on the simulated platform; the privileged helper script and the relaunch
// after a restart, both with real processes.

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <vector>
#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/permissions/PermissionsWindow.h"
#include "Tactora/permissions/Relauncher.h"
#include "Tactora/permissions/TrustedHelper.h"
#include "support/CapturingLogSink.h"
#include "support/SourceTree.h"

namespace tactora {
namespace {

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PermissionsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch.isValid()); }
  void TearDown() override { platform::Log::setSink(previousSink); }

  void setGrants(bool accessibility, std::int32_t inputMonitoring) {
    sim->permissions().setAccessibilityTrusted(accessibility);
    sim->permissions().setInputMonitoringAccess(inputMonitoring);
  }

  std::unique_ptr<PermissionsWindow> makeWindow(QString program = "true",
                                                QStringList arguments = {}) {
    monitor = PermissionMonitor::create(*sim);
    PermissionsWindow::Options options;
    options.requestProgram = std::move(program);
    options.requestArguments = std::move(arguments);
    return std::make_unique<PermissionsWindow>(monitor, std::move(options));
  }

  std::shared_ptr<sim::SimPlatform> sim = sim::SimPlatform::install();
  std::shared_ptr<platform::CapturingLogSink> log = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink = platform::Log::setSink(log);
  std::shared_ptr<PermissionMonitor> monitor;
  QTemporaryDir scratch;
};

// The labels show each status in its words, and follow every change the monitor
// notices: at once through its change callback, polled every second while the window is shown and
// not while it is hidden. Its two rows line up whatever they say.
TEST_F(PermissionsWindowTest, StatusesShowInTheirWordsWhileTheWindowPolls) {
  setGrants(false, platform::Permissions::accessUnknown);
  auto window = makeWindow();
  EXPECT_EQ(window->accessibilityStatusLabel()->text(), "Not granted");
  EXPECT_EQ(window->inputMonitoringStatusLabel()->text(), "Not requested yet");
  EXPECT_FALSE(monitor->isPolling());
  setGrants(true, platform::Permissions::accessGranted);
  monitor->refresh();
  EXPECT_EQ(window->inputMonitoringStatusLabel()->text(), "Granted");

  window->showPermissions();
  QCoreApplication::processEvents();
  EXPECT_EQ(window->accessibilityStatusLabel()->x(), window->inputMonitoringStatusLabel()->x());
  EXPECT_EQ(window->accessibilityRequestButton()->x(), window->inputMonitoringRequestButton()->x());
  EXPECT_TRUE(monitor->isPolling());
  setGrants(false, platform::Permissions::accessGranted);
  sim->timeline().advanceBy(1.0);
  EXPECT_EQ(window->accessibilityStatusLabel()->text(), "Not granted");

  window->close();  // closing only hides the window, and ends the poll
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(monitor->isPolling());
  setGrants(true, platform::Permissions::accessGranted);
  sim->timeline().advanceBy(5.0);
  EXPECT_EQ(window->accessibilityStatusLabel()->text(), "Not granted");
  window->showPermissions();  // read at once, then polled again
  EXPECT_EQ(window->accessibilityStatusLabel()->text(), "Granted");
  window.reset();
  EXPECT_FALSE(monitor->isPolling());
}

// The grant arrives while the helper runs; the window reads the grants again when the helper ends,
// however it ended, and logs a failed one with its cause. A second request is ignored meanwhile.
TEST_F(PermissionsWindowTest, RequestRunsTheHelperOnceThenReadsTheGrantsAgain) {
  const QString marker = scratch.filePath("runs");
  const std::tuple<QString, QStringList, std::string> cases[] = {
      {"/bin/sh", {"-c", QString("echo run >> '%1'").arg(marker)}, ""},
      {"/bin/sh", {"-c", "exit 3"}, "permission helper failed: /bin/sh exited with status 3"},
      {"/nonexistent/pkexec", {}, "permission helper failed: /nonexistent/pkexec"},
  };
  for (const auto& [program, arguments, logged] : cases) {
    SCOPED_TRACE(program.toStdString() + " " + logged);
    log->clear();
    setGrants(false, platform::Permissions::accessDenied);
    auto window = makeWindow(program, arguments);
    setGrants(true, platform::Permissions::accessGranted);
    window->accessibilityRequestButton()->click();
    window->inputMonitoringRequestButton()->click();
    EXPECT_FALSE(window->inputMonitoringRequestButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isRequestRunning(); }, 5000));
    EXPECT_EQ(window->inputMonitoringStatusLabel()->text(), "Granted");
    EXPECT_TRUE(window->accessibilityRequestButton()->isEnabled());
    const auto errors = log->messages("PermissionsWindow");
    EXPECT_EQ(errors.size(), logged.empty() ? 0u : 1u);
    EXPECT_TRUE(errors.empty() || errors[0].starts_with(logged)) << errors[0];
  }
  EXPECT_EQ(readFile(marker), "run\n");
}

// Only an installed helper runs as root: a file of root's, in folders of root's all the way up.
TEST_F(PermissionsWindowTest, OnlyAnInstalledHelperIsRunAndABuildShowsTheCommandsInstead) {
  namespace fs = std::filesystem;
  // The scratch folder lies in the system's temporary folder, which everyone may write to.
  const fs::path copied = scratch.filePath("tactora-permission-helper").toStdString();
  const fs::path linked = scratch.filePath("link").toStdString();
  fs::copy_file("/usr/bin/env", copied);
  fs::create_symlink("/usr/bin/env", linked);
  EXPECT_EQ(TrustedHelper::find({copied, "/nonexistent/helper", "usr/bin/env", linked}),
            fs::path("/usr/bin/env"));
  EXPECT_EQ(TrustedHelper::find({copied}), std::nullopt);

  // This test runs from a build tree: nothing is run, the commands are shown.
  const PermissionsWindow::Options options = PermissionsWindow::defaultOptions({});
  EXPECT_TRUE(options.requestProgram.isEmpty()) << options.requestArguments.join(' ').toStdString();
  const QString rule = QString::fromStdString(testing::sourceDir()) + "/data/udev/69-tactora.rules";
  EXPECT_TRUE(options.manualCommands.startsWith("sudo install -m 644 " + rule))
      << options.manualCommands.toStdString();
  monitor = PermissionMonitor::create(*sim);
  PermissionsWindow window(monitor, options);
  window.accessibilityRequestButton()->click();
  EXPECT_FALSE(window.isRequestRunning());
  ASSERT_NE(window.manualCommandsBox(), nullptr);
  EXPECT_EQ(window.manualCommandsBox()->informativeText(), options.manualCommands);
  for (QLabel* label : window.manualCommandsBox()->findChildren<QLabel*>()) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
  }
}

void writeFile(const QString& path, const QByteArray& data, bool executable = false) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(data);
  file.setPermissions(file.permissions() |
                      (executable ? QFileDevice::ExeOwner : QFileDevice::Permissions()));
}

// Any other arguments are refused and nothing is done; "install-rule" installs the rule (again
// replacing it, no temporary left behind) and replays the input and misc devices.
TEST(PermissionHelper, InstallsTheRuleOnlyWhenAskedExactlyAndReplaysTheDevices) {
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  // A copy of the built helper that writes into a scratch folder, calls a recording udevadm
  // and runs as the test's user; every other line is the real script's.
  QByteArray script = readFile(QStringLiteral(TACTORA_PERMISSION_HELPER_SCRIPT));
  ASSERT_FALSE(script.isEmpty());
  const QString rulesDir = scratch.filePath("rules.d");
  const QString udevadm = scratch.filePath("udevadm");
  const QString calls = scratch.filePath("udevadm-calls");
  writeFile(udevadm, QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n").arg(calls).toUtf8(), true);
  const std::vector<std::pair<QByteArray, QByteArray>> replacements = {
      {"rules_dir=/etc/udev/rules.d\n", "rules_dir='" + rulesDir.toUtf8() + "'\n"},
      {"udevadm=udevadm\n", "udevadm='" + udevadm.toUtf8() + "'\n"},
      {"required_uid=0\n", "required_uid=$(id -u)\n"},
  };
  for (const auto& [from, to] : replacements) {
    ASSERT_EQ(script.count(from), 1) << from.toStdString();
    script.replace(from, to);
  }
  const QString helper = scratch.filePath("helper");
  writeFile(helper, script);
  // The helper's exit status and what it wrote to its standard error.
  auto run = [&](const QStringList& arguments) {
    QProcess process;
    process.start("/bin/sh", QStringList{helper} + arguments);
    process.waitForFinished(5000);
    return std::pair(process.exitCode(), process.readAllStandardError());
  };
  for (const QStringList& arguments : std::initializer_list<QStringList>{
           {}, {"install"}, {"install-rule", "/tmp/evil.rules"}, {"--help"}}) {
    const auto [status, errors] = run(arguments);
    EXPECT_EQ(status, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(errors.startsWith("usage: tactora-permission-helper install-rule"));
  }
  EXPECT_FALSE(QFileInfo::exists(rulesDir) || QFileInfo::exists(calls));

  for (int again = 0; again < 2; ++again) {
    const auto [status, errors] = run({"install-rule"});
    ASSERT_EQ(status, 0) << errors.toStdString();
  }
  const QString rule = rulesDir + "/69-tactora.rules";
  EXPECT_EQ(readFile(rule),
            readFile(QString::fromStdString(testing::sourceDir() + "/data/udev/69-tactora.rules")));
  EXPECT_FALSE(QFileInfo(rule).permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther));
  EXPECT_EQ(QDir(rulesDir).entryList(QDir::Files | QDir::Hidden).size(), 1);
  const QByteArray replay =
      "control --reload\n"
      "trigger --action=change --subsystem-match=input --subsystem-match=misc\n"
      "settle --timeout=10\n";
  EXPECT_EQ(readFile(calls), replay + replay);
}

// The relaunched program checks for itself whether the old process still lives when it starts.
TEST_F(PermissionsWindowTest, RelaunchStartsTheProgramOnlyAfterTheOldProcessHasEnded) {
  const QString marker = scratch.filePath("started");
  QProcess old;
  old.start("sleep", {"30"});
  ASSERT_TRUE(old.waitForStarted());
  const QString script = QString(
                             "if kill -0 %1 2>/dev/null; then w=early; else w=after; fi; "
                             "printf '%s %s' \"$w\" \"$1\" > '%2.tmp' && mv '%2.tmp' '%2'")
                             .arg(QString::number(old.processId()), marker);
  ASSERT_TRUE(Relauncher::relaunchAfterExit(old.processId(), "/bin/sh",
                                            {"-c", script, "sh", "argument with spaces"}));
  EXPECT_FALSE(QFileInfo::exists(marker));
  old.kill();
  old.waitForFinished();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 5000));
  EXPECT_EQ(readFile(marker), "after argument with spaces");
}

}  // namespace
}  // namespace tactora
