// The tree `cmake --install --prefix /usr` stages: every file in its place, the paths written into
// the installed files pointing at the installed program and helper, the installed program finding
// its own libraries, and the desktop files passing the desktop's validators.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "install/InstallTestSupport.h"
#include "support/SourceTree.h"

namespace tactora::installtest {
namespace {

namespace fs = std::filesystem;

// The installed program run from the staging folder, with nothing in its environment that would
// point it back at the build tree.
ProcessResult runInstalled(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {"env",
                                      "-u",
                                      "TACTORA_BINARY_DIR",
                                      "-u",
                                      "TACTORA_SIM_PROVIDER",
                                      (stage() / "usr/bin/tactora").string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return run(command);
}

// Every file in its place with its mode; the shell loads the extension through the link, which
// names the generation for the GNOME Shell installed here (Debian 12's is 43) and stays inside the
// installed tree.
TEST(InstalledTree, HoldsEveryFileOfTheLayoutAndLinksTheExtensionThisShellLoads) {
  expectTree(stage(), expectedFiles());
  const auto link = stage() / "usr/share/gnome-shell/extensions/tactora@vellumworks.com";
  const ProcessResult version = run({"gnome-shell", "--version"});
  const bool older = version.output.find("GNOME Shell 4") != std::string::npos &&
                     std::stoi(version.output.substr(12)) < 45;
  EXPECT_EQ(fs::read_symlink(link).string(), std::string("../../tactora/gnome-shell/") +
                                                 (older ? "gnome-42" : "gnome-45") +
                                                 "/tactora@vellumworks.com")
      << version.output;
  EXPECT_TRUE(fs::exists(link / "metadata.json"));
}

// The udev rule, the polkit action and the user unit name the installed paths; the helper carries
// the same rule as the one installed, and systemd reads every line of the unit.
TEST(InstalledTree, UdevRulePolkitActionAndUserUnitMatchTheInstallation) {
  const std::string rule = readFile(testing::sourceDir() + "/data/udev/69-tactora.rules");
  ASSERT_FALSE(rule.empty());
  EXPECT_EQ(readFile(stage() / "usr/lib/udev/rules.d/69-tactora.rules"), rule);
  // The helper writes its own copy to /etc: the same text, between its here-document markers.
  const std::string helper = readFile(stage() / "usr/libexec/tactora/tactora-permission-helper");
  EXPECT_NE(helper.find("<<'TACTORA_RULE'\n" + rule + "TACTORA_RULE\n"), std::string::npos);

  const std::string policy =
      readFile(stage() / "usr/share/polkit-1/actions/com.vellumworks.Tactora.policy");
  EXPECT_NE(policy.find("<annotate key=\"org.freedesktop.policykit.exec.path\">"
                        "/usr/libexec/tactora/tactora-permission-helper</annotate>"),
            std::string::npos)
      << policy;
  const std::string unit = readFile(stage() / "usr/lib/systemd/user/tactora.service");
  // Stopping or restarting the service ends Tactora alone, not what its gestures launched.
  for (const char* line : {"\nExecStart=/usr/bin/tactora\n", "\nPartOf=graphical-session.target\n",
                           "\nKillMode=process\n"}) {
    EXPECT_NE(unit.find(line), std::string::npos) << line << " missing from\n" << unit;
  }
  const fs::path checked = fs::path(::testing::TempDir()) / "tactora.service";
  std::ofstream(checked) << std::regex_replace(
      unit, std::regex("ExecStart=/usr/bin/tactora"),
      "ExecStart=" + (stage() / "usr/bin/tactora").string());
  const ProcessResult verified = run({"systemd-analyze", "verify", checked.string()});
  EXPECT_EQ(verified.status, 0) << verified.output;
  EXPECT_EQ(verified.output, "");
  for (const std::string* text : {&policy, &unit}) {
    EXPECT_EQ(text->find('@'), std::string::npos) << "a placeholder was left in:\n" << *text;
  }
}

// The program finds its provider in its private folder once installed and beside itself in the
// build, and the installed one replays a recording with its simulated provider.
TEST(InstalledProgram, FindsItsProvidersWhereverItIsAndReplays) {
  const fs::path built = TACTORA_EXECUTABLE;
  const struct {
    ProcessResult result;
    fs::path folder;
  } runs[] = {{runInstalled({"devices"}), stage() / "usr" / TACTORA_PRIVATE_LIBDIR},
              {run({built.string(), "devices"}), built.parent_path()}};
  for (const auto& [result, folder] : runs) {
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Multitouch provider: " +
                                 (folder / "libTactoraEvdevProvider.so").string() + "\n"),
              std::string::npos)
        << result.output;
  }
  const std::string sessions = testing::sourceDir() + "/examples/sessions/";
  const ProcessResult replay =
      runInstalled({"replay", "--actions", "--time", sessions + "double-tap.evemu"});
  EXPECT_EQ(replay.status, 0) << replay.output;
  EXPECT_EQ(replay.output, readFile(sessions + "double-tap.expected"));
}

TEST(InstalledFiles, PassTheValidatorsAndTheManualPageDescribesEverySubcommand) {
  const ProcessResult desktop =
      run({"desktop-file-validate",
           (stage() / "usr/share/applications/com.vellumworks.Tactora.desktop").string()});
  EXPECT_EQ(desktop.status, 0) << desktop.output;
  EXPECT_EQ(desktop.output, "");
  // The tree check also finds the desktop entry and icon the metadata names.
  const ProcessResult appstream =
      run({"appstreamcli", "validate-tree", "--no-net", "--no-color", stage().string()});
  EXPECT_EQ(appstream.status, 0) << appstream.output;
  EXPECT_EQ(appstream.output.find("E: "), std::string::npos) << appstream.output;

  const std::string manPage = (stage() / "usr/share/man/man1/tactora.1.gz").string();
  const ProcessResult source = run({"gzip", "-dc", manPage});
  ASSERT_EQ(source.status, 0) << source.output;
  // The subcommands the program lists in its help, after the "Subcommands:" heading.
  const ProcessResult help = runInstalled({"--help"});
  ASSERT_EQ(help.status, 0) << help.output;
  std::istringstream lines(help.output.substr(help.output.find("Subcommands:")));
  std::string line;
  std::getline(lines, line);
  int subcommands = 0;
  for (std::string name; std::getline(lines, line);) {
    if (std::istringstream(line) >> name) {
      ++subcommands;
      EXPECT_NE(source.output.find("\n.B " + name), std::string::npos)
          << "the manual page does not describe `tactora " << name << "`";
    }
  }
  EXPECT_GE(subcommands, 6);
  // Only the warnings: the page itself goes to /dev/null.
  const ProcessResult rendered =
      run({"env", "MANWIDTH=80", "sh", "-c", "man --warnings -l \"$1\" >/dev/null", "sh", manPage});
  EXPECT_EQ(rendered.output, "") << "warnings from man:\n" << rendered.output;
}

}  // namespace
}  // namespace tactora::installtest
