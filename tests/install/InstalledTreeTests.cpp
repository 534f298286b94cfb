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

bool executable(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// The installed program run from the staging folder, with nothing in its environment that would
// point it back at the build tree.
CommandResult runInstalled(const std::string& arguments) {
  return run("env -u TACTORA_BINARY_DIR -u TACTORA_SIM_PROVIDER " +
             quoted((stage() / "usr/bin/tactora").string()) + " " + arguments);
}

TEST(InstalledTree, HoldsEveryFileOfTheLayoutAndNothingElse) {
  EXPECT_EQ(filesUnder(stage()), expectedFiles());
  for (const std::string& file : expectedFiles()) {
    if (fs::is_symlink(stage() / file)) {
      continue;  // the extension's link, checked below
    }
    // The providers are loaded, not run: shared libraries are not executable.
    const bool program =
        file == "usr/bin/tactora" || file == "usr/libexec/tactora/tactora-permission-helper";
    EXPECT_EQ(executable(stage() / file), program) << file;
  }
}

// The shell loads the extension through the link, which names the generation for the GNOME Shell
// installed here (Debian 12's is 43) and stays inside the installed tree.
TEST(InstalledTree, LinksTheGnomeShellExtensionThisShellLoads) {
  const auto link = stage() / "usr/share/gnome-shell/extensions/tactora@vellumworks.com";
  const CommandResult version = run("gnome-shell --version");
  const bool older = version.output.find("GNOME Shell 4") != std::string::npos &&
                     std::stoi(version.output.substr(12)) < 45;
  EXPECT_EQ(std::filesystem::read_symlink(link).string(),
            std::string("../../tactora/gnome-shell/") + (older ? "gnome-42" : "gnome-45") +
                "/tactora@vellumworks.com")
      << version.output;
  EXPECT_TRUE(std::filesystem::exists(link / "metadata.json"));
}

TEST(InstalledTree, InstallsTheUdevRuleThatTheHelperAlsoCarries) {
  const std::string rule = readFile(testing::sourceDir() + "/data/udev/69-tactora.rules");
  ASSERT_FALSE(rule.empty());
  EXPECT_EQ(readFile(stage() / "usr/lib/udev/rules.d/69-tactora.rules"), rule);
  // The helper writes its own copy to /etc: the same text, between its here-document markers.
  const std::string helper = readFile(stage() / "usr/libexec/tactora/tactora-permission-helper");
  EXPECT_NE(helper.find("<<'TACTORA_RULE'\n" + rule + "TACTORA_RULE\n"), std::string::npos);
}

TEST(InstalledTree, PolkitActionAndUserUnitNameTheInstalledPaths) {
  const std::string policy =
      readFile(stage() / "usr/share/polkit-1/actions/com.vellumworks.Tactora.policy");
  EXPECT_NE(policy.find("<annotate key=\"org.freedesktop.policykit.exec.path\">"
                        "/usr/libexec/tactora/tactora-permission-helper</annotate>"),
            std::string::npos)
      << policy;
  const std::string unit = readFile(stage() / "usr/lib/systemd/user/tactora.service");
  EXPECT_NE(unit.find("\nExecStart=/usr/bin/tactora\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("\nPartOf=graphical-session.target\n"), std::string::npos) << unit;
  // Stopping or restarting the service ends Tactora alone, not what its gestures launched; and
  // systemd reads every line of the unit (nothing it would ignore), with the staged program.
  EXPECT_NE(unit.find("\nKillMode=process\n"), std::string::npos) << unit;
  const fs::path checked = fs::path(::testing::TempDir()) / "tactora.service";
  std::ofstream(checked) << std::regex_replace(
      unit, std::regex("ExecStart=/usr/bin/tactora"),
      "ExecStart=" + (stage() / "usr/bin/tactora").string());
  const CommandResult verified = run("systemd-analyze verify " + quoted(checked.string()));
  EXPECT_EQ(verified.status, 0) << verified.output;
  EXPECT_EQ(verified.output, "");
  for (const std::string* text : {&policy, &unit}) {
    EXPECT_EQ(text->find('@'), std::string::npos) << "a placeholder was left in:\n" << *text;
  }
}

TEST(InstalledProgram, FindsItsProviderInItsPrivateFolderAndBesideItselfInTheBuild) {
  const CommandResult installed = runInstalled("devices");
  EXPECT_EQ(installed.status, 0) << installed.output;
  const fs::path privateFolder = stage() / "usr" / TACTORA_PRIVATE_LIBDIR;
  EXPECT_NE(installed.output.find("Multitouch provider: " +
                                  (privateFolder / "libTactoraEvdevProvider.so").string() + "\n"),
            std::string::npos)
      << installed.output;

  const CommandResult built = run(quoted(TACTORA_EXECUTABLE) + " devices");
  EXPECT_EQ(built.status, 0) << built.output;
  const fs::path buildFolder = fs::path(TACTORA_EXECUTABLE).parent_path();
  EXPECT_NE(built.output.find("Multitouch provider: " +
                              (buildFolder / "libTactoraEvdevProvider.so").string() + "\n"),
            std::string::npos)
      << built.output;
}

TEST(InstalledProgram, ReplaysARecordingWithItsInstalledSimulatedProvider) {
  const std::string sessions = testing::sourceDir() + "/examples/sessions/";
  const CommandResult replay =
      runInstalled("replay --actions --time " + quoted(sessions + "double-tap.evemu"));
  EXPECT_EQ(replay.status, 0) << replay.output;
  EXPECT_EQ(replay.output, readFile(sessions + "double-tap.expected"));
}

TEST(InstalledFiles, PassTheDesktopEntryAndAppStreamValidators) {
  const CommandResult desktop =
      run("desktop-file-validate " +
          quoted((stage() / "usr/share/applications/com.vellumworks.Tactora.desktop").string()));
  EXPECT_EQ(desktop.status, 0) << desktop.output;
  EXPECT_EQ(desktop.output, "");
  // The tree check also finds the desktop entry and icon the metadata names.
  const CommandResult appstream =
      run("appstreamcli validate-tree --no-net --no-color " + quoted(stage().string()));
  EXPECT_EQ(appstream.status, 0) << appstream.output;
  EXPECT_EQ(appstream.output.find("E: "), std::string::npos) << appstream.output;
}

TEST(InstalledFiles, ManualPageDescribesEverySubcommandAndRendersCleanly) {
  const std::string manPage = (stage() / "usr/share/man/man1/tactora.1.gz").string();
  const CommandResult source = run("gzip -dc " + quoted(manPage));
  ASSERT_EQ(source.status, 0) << source.output;

  // The subcommands the program lists in its help, after the "Subcommands:" heading.
  const CommandResult help = runInstalled("--help");
  ASSERT_EQ(help.status, 0) << help.output;
  std::istringstream lines(help.output.substr(help.output.find("Subcommands:")));
  std::string line;
  std::getline(lines, line);
  int subcommands = 0;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string name;
    if (words >> name) {
      ++subcommands;
      EXPECT_NE(source.output.find("\n.B " + name), std::string::npos)
          << "the manual page does not describe `tactora " << name << "`";
    }
  }
  EXPECT_GE(subcommands, 6);

  const CommandResult rendered =
      run("{ MANWIDTH=80 man --warnings -l " + quoted(manPage) + " >/dev/null; }");
  EXPECT_EQ(rendered.output, "") << "warnings from man:\n" << rendered.output;
}

}  // namespace
}  // namespace tactora::installtest
