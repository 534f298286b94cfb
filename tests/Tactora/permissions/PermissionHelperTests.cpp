// The privileged helper script and the relaunch after a restart: both run real processes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "Tactora/permissions/Relauncher.h"
#include "support/SourceTree.h"

namespace tactora {
namespace {

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data, bool executable = false) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(data);
  file.setPermissions(file.permissions() |
                      (executable ? QFileDevice::ExeOwner : QFileDevice::Permissions()));
}

struct ScriptRun {
  int status;
  QByteArray errors;
};

ScriptRun runScript(const QString& script, const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral("/bin/sh"), QStringList{script} + arguments);
  process.waitForFinished(5000);
  return {process.exitCode(), process.readAllStandardError()};
}

class PermissionHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.isValid());
    // A copy of the built helper that writes into a scratch folder, calls a recording udevadm
    // and runs as the test's user; every other line is the real script's.
    QByteArray script = readFile(QStringLiteral(TACTORA_PERMISSION_HELPER_SCRIPT));
    ASSERT_FALSE(script.isEmpty());
    rulesDir = scratch.filePath("rules.d");
    const QString udevadm = scratch.filePath("udevadm");
    calls = scratch.filePath("udevadm-calls");
    writeFile(udevadm, QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n").arg(calls).toUtf8(),
              true);
    const std::vector<std::pair<QByteArray, QByteArray>> replacements = {
        {"rules_dir=/etc/udev/rules.d\n", "rules_dir='" + rulesDir.toUtf8() + "'\n"},
        {"udevadm=udevadm\n", "udevadm='" + udevadm.toUtf8() + "'\n"},
        {"required_uid=0\n", "required_uid=$(id -u)\n"},
    };
    for (const auto& [from, to] : replacements) {
      ASSERT_EQ(script.count(from), 1) << from.toStdString();
      script.replace(from, to);
    }
    helper = scratch.filePath("helper");
    writeFile(helper, script);
  }

  QTemporaryDir scratch;
  QString rulesDir;
  QString calls;
  QString helper;
};

// Any other arguments are refused and nothing is done; "install-rule" installs the rule (again
// replacing it, no temporary left behind) and replays the input and misc devices.
TEST_F(PermissionHelperTest, InstallsTheRuleOnlyWhenAskedExactlyAndReplaysTheDevices) {
  for (const QStringList& arguments : std::initializer_list<QStringList>{
           {}, {"install"}, {"install-rule", "/tmp/evil.rules"}, {"--help"}}) {
    const ScriptRun run = runScript(helper, arguments);
    EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.errors.startsWith("usage: tactora-permission-helper install-rule"));
  }
  EXPECT_FALSE(QFileInfo::exists(rulesDir) || QFileInfo::exists(calls));

  for (int run = 0; run < 2; ++run) {
    const ScriptRun installed = runScript(helper, {"install-rule"});
    ASSERT_EQ(installed.status, 0) << installed.errors.toStdString();
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
TEST(Relauncher, StartsTheProgramOnlyAfterTheOldProcessHasEnded) {
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  const QString marker = scratch.filePath(QStringLiteral("started"));
  QProcess old;
  old.start(QStringLiteral("sleep"), {QStringLiteral("30")});
  ASSERT_TRUE(old.waitForStarted());
  const QString script = QStringLiteral(
                             "if kill -0 %1 2>/dev/null; then w=early; else w=after; fi; "
                             "printf '%s %s' \"$w\" \"$1\" > '%2.tmp' && mv '%2.tmp' '%2'")
                             .arg(old.processId())
                             .arg(marker);
  ASSERT_TRUE(Relauncher::relaunchAfterExit(old.processId(), QStringLiteral("/bin/sh"),
                                            {QStringLiteral("-c"), script, QStringLiteral("sh"),
                                             QStringLiteral("argument with spaces")}));
  EXPECT_FALSE(QFileInfo::exists(marker));
  old.kill();
  old.waitForFinished();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 5000));
  EXPECT_EQ(readFile(marker), "after argument with spaces");
}

}  // namespace
}  // namespace tactora
