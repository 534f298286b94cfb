// What `cmake --install --prefix /usr` stages and what `cpack -G DEB` builds. The tree: every file
// in its place with root's ownership and the right modes, the paths written into the installed
// files pointing at the installed program and helper, the installed program finding its own
// libraries, and the desktop files passing the desktop's validators. The .deb: the installed tree,
// the runtime packages it depends on, and maintainer scripts that have udev apply or forget the
// rule without ever failing the installation.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/SourceTree.h"
#include "support/desktop/ChildProcess.h"

namespace tactora::installtest {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::readFile;

// Runs a program to its end, both output streams captured.
ProcessResult run(const std::vector<std::string>& arguments) {
  return testing::runProcess(arguments, {});
}

// The staging folder (DESTDIR) the build was installed into with the prefix /usr.
const fs::path stage = TACTORA_INSTALL_STAGE;

// Every file (not folder) an installation with the prefix /usr holds, relative to the root.
std::set<std::string> expectedFiles() {
  std::set<std::string> files{
      "usr/bin/tactora",
      "usr/libexec/tactora/tactora-permission-helper",
      "usr/lib/udev/rules.d/69-tactora.rules",
      "usr/lib/systemd/user/tactora.service",
      "usr/share/polkit-1/actions/com.vellumworks.Tactora.policy",
      "usr/share/applications/com.vellumworks.Tactora.desktop",
      "usr/share/metainfo/com.vellumworks.Tactora.metainfo.xml",
      "usr/share/icons/hicolor/scalable/apps/com.vellumworks.Tactora.svg",
      "usr/share/icons/hicolor/symbolic/apps/tactora-gestures-enabled-symbolic.svg",
      "usr/share/icons/hicolor/symbolic/apps/tactora-gestures-disabled-symbolic.svg",
      "usr/share/gnome-shell/extensions/tactora@vellumworks.com",  // a link to one of them below
      "usr/share/doc/tactora/permissions.md",
      "usr/share/doc/tactora/ACKNOWLEDGEMENTS.md",
      "usr/share/man/man1/tactora.1.gz",
  };
  for (const char* library : {"Desktop", "EvdevProvider", "SimProvider", "PlaybackProvider"}) {
    files.insert(std::string("usr/") + TACTORA_PRIVATE_LIBDIR + "/libTactora" + library + ".so");
  }
  for (const char* file : {"gnome-42/tactora@vellumworks.com/extension.js",
                           "gnome-42/tactora@vellumworks.com/metadata.json",
                           "gnome-45/tactora@vellumworks.com/extension.js",
                           "gnome-45/tactora@vellumworks.com/metadata.json"}) {
    files.insert(std::string("usr/share/tactora/gnome-shell/") + file);
  }
  return files;
}

// The files and links (not folders) under `root` are exactly `expected`, each owned by root, the
// programs 0755 and the rest 0644 (the providers are loaded, not run).
void expectTree(const std::filesystem::path& root, const std::set<std::string>& expected) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_symlink() || !entry.is_directory()) {
      const std::string file = entry.path().lexically_relative(root).string();
      files.insert(file);
      struct stat status {};
      ASSERT_EQ(::lstat(entry.path().c_str(), &status), 0) << file;
      EXPECT_EQ(status.st_uid, 0u) << file;
      const bool program =
          file == "usr/bin/tactora" || file == "usr/libexec/tactora/tactora-permission-helper";
      if (!entry.is_symlink()) {
        EXPECT_EQ(status.st_mode & 07777, program ? 0755u : 0644u) << file;
      }
    }
  }
  EXPECT_EQ(files, expected);
}

// The installed program run from the staging folder, with nothing in its environment that would
// point it back at the build tree.
ProcessResult runInstalled(const std::vector<std::string>& arguments) {
  std::vector<std::string> command{"env", "-u", "TACTORA_BINARY_DIR", "-u", "TACTORA_SIM_PROVIDER"};
  command.push_back((stage / "usr/bin/tactora").string());
  command.insert(command.end(), arguments.begin(), arguments.end());
  return run(command);
}

// Every file in its place with its mode; the shell loads the extension through the link, which
// names the generation for the GNOME Shell installed here (Debian 12's is 43) and stays inside the
// installed tree.
TEST(InstalledTree, HoldsEveryFileOfTheLayoutWithTheInstalledPathsInIt) {
  expectTree(stage, expectedFiles());
  const auto link = stage / "usr/share/gnome-shell/extensions/tactora@vellumworks.com";
  const std::string shell = run({"gnome-shell", "--version"}).output;  // "GNOME Shell 43.9"
  const bool older = shell.starts_with("GNOME Shell 4") && std::stoi(shell.substr(12)) < 45;
  EXPECT_EQ(fs::read_symlink(link), fs::path("../../tactora/gnome-shell") /
                                        (older ? "gnome-42" : "gnome-45") /
                                        "tactora@vellumworks.com")
      << shell;
  EXPECT_TRUE(fs::exists(link / "metadata.json"));

  // The udev rule is the source's; the polkit action and the user unit name the installed paths,
  // and systemd reads every line of the unit.
  EXPECT_EQ(readFile(stage / "usr/lib/udev/rules.d/69-tactora.rules"),
            readFile(testing::sourceDir() + "/data/udev/69-tactora.rules"));

  const std::string policy =
      readFile(stage / "usr/share/polkit-1/actions/com.vellumworks.Tactora.policy");
  EXPECT_NE(policy.find("<annotate key=\"org.freedesktop.policykit.exec.path\">"
                        "/usr/libexec/tactora/tactora-permission-helper</annotate>"),
            std::string::npos)
      << policy;
  const std::string unit = readFile(stage / "usr/lib/systemd/user/tactora.service");
  // Stopping or restarting the service ends Tactora alone, not what its gestures launched.
  for (const char* line : {"\nExecStart=/usr/bin/tactora\n", "\nPartOf=graphical-session.target\n",
                           "\nKillMode=process\n"}) {
    EXPECT_NE(unit.find(line), std::string::npos) << line << " missing from\n" << unit;
  }
  const fs::path checked = fs::path(::testing::TempDir()) / "tactora.service";
  std::ofstream(checked) << std::regex_replace(unit, std::regex("ExecStart=/usr/bin/tactora"),
                                               "ExecStart=" + (stage / "usr/bin/tactora").string());
  const ProcessResult verified = run({"systemd-analyze", "verify", checked.string()});
  EXPECT_EQ(verified.status, 0) << verified.output;
  EXPECT_EQ(verified.output, "");
  for (const std::string* text : {&policy, &unit}) {
    EXPECT_EQ(text->find('@'), std::string::npos) << "a placeholder was left in:\n" << *text;
  }
}

// Installed, the program finds its provider in its private folder and replays a recording with
// its simulated provider.
TEST(InstalledProgram, FindsItsProvidersAndReplays) {
  const ProcessResult devices = runInstalled({"devices"});
  EXPECT_EQ(devices.status, 0) << devices.output;
  EXPECT_NE(devices.output.find(
                "Multitouch provider: " + (stage / "usr" / TACTORA_PRIVATE_LIBDIR).string() +
                "/libTactoraEvdevProvider.so\n"),
            std::string::npos)
      << devices.output;
  const std::string sessions = testing::sourceDir() + "/examples/sessions/";
  const ProcessResult replay =
      runInstalled({"replay", "--actions", "--time", sessions + "double-tap.evemu"});
  EXPECT_EQ(replay.status, 0) << replay.output;
  EXPECT_EQ(replay.output, readFile(sessions + "double-tap.expected"));
}

TEST(InstalledFiles, PassTheValidatorsAndTheManualPageDescribesEverySubcommand) {
  const ProcessResult desktop =
      run({"desktop-file-validate",
           (stage / "usr/share/applications/com.vellumworks.Tactora.desktop").string()});
  EXPECT_EQ(desktop.status, 0) << desktop.output;
  EXPECT_EQ(desktop.output, "");
  // The tree check also finds the desktop entry and icon the metadata names.
  const ProcessResult appstream =
      run({"appstreamcli", "validate-tree", "--no-net", "--no-color", stage.string()});
  EXPECT_EQ(appstream.status, 0) << appstream.output;
  EXPECT_EQ(appstream.output.find("E: "), std::string::npos) << appstream.output;

  const std::string manPage = (stage / "usr/share/man/man1/tactora.1.gz").string();
  const ProcessResult source = run({"gzip", "-dc", manPage});
  ASSERT_EQ(source.status, 0) << source.output;
  // Each subcommand the program's help lists below its "Subcommands:" heading has its entry.
  const std::string help = runInstalled({"--help"}).output;
  std::istringstream lines(help.substr(help.find("Subcommands:") + 12));
  int subcommands = 0;
  for (std::string line, name; std::getline(lines, line);) {
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

fs::path package() {
  fs::path found;
  for (const auto& entry : fs::directory_iterator(TACTORA_INSTALL_DEB_DIR)) {
    if (entry.path().extension() == ".deb") {
      EXPECT_TRUE(found.empty()) << "more than one package: " << found << ", " << entry.path();
      found = entry.path();
    }
  }
  return found;
}

// The package's control field `name`, without the line's end.
std::string field(const std::string& name) {
  ProcessResult value = run({"dpkg-deb", "-f", package().string(), name});
  EXPECT_EQ(value.status, 0) << value.output;
  return value.output.substr(0, value.output.find_last_not_of('\n') + 1);
}

// Writes a shell script `name` into `work`/bin.
void writeProgram(const fs::path& work, const std::string& name, const std::string& body) {
  std::ofstream(work / "bin" / name) << "#!/bin/sh\n" << body;
  fs::permissions(work / "bin" / name, fs::perms::owner_all);
}

// A maintainer script run as dpkg runs it, below $DPKG_ROOT (so the host's folders stay untouched),
// with `work`/bin first in PATH; `prefix` goes before it (e.g. a namespace to run it in).
ProcessResult runScript(const fs::path& work, const std::string& script,
                        std::vector<std::string> arguments, std::vector<std::string> prefix = {}) {
  const char* path = std::getenv("PATH");
  std::vector<std::string> command = {"env",
                                      "PATH=" + (work / "bin").string() + ":" + (path ? path : ""),
                                      "DPKG_ROOT=" + (work / "root").string()};
  command.insert(command.end(), prefix.begin(), prefix.end());
  command.push_back((work / "control" / script).string());
  command.insert(command.end(), arguments.begin(), arguments.end());
  return run(command);
}

// Extracted (as root, which keeps owners and modes) it is the installed tree with the copyright
// file as written in the source and a changelog whose entry names the package's own version and
// maintainer, dated from SOURCE_DATE_EPOCH and compressed without a name or time in its header, so
// that the same commit always gives the same package.
TEST(DebianPackage, HoldsTheInstalledTreeAReproducibleChangelogAndItsDependencies) {
  const fs::path deb = package();
  ASSERT_FALSE(deb.empty()) << "no .deb in " << TACTORA_INSTALL_DEB_DIR;
  const fs::path tree = fs::path(TACTORA_INSTALL_DEB_DIR) / "contents-test";
  fs::remove_all(tree);
  const ProcessResult extract = run({"dpkg-deb", "-x", deb.string(), tree.string()});
  ASSERT_EQ(extract.status, 0) << extract.output;
  // Besides the installation, the copyright file and changelog Debian requires of every package.
  std::set<std::string> files = expectedFiles();
  files.insert({"usr/share/doc/tactora/copyright", "usr/share/doc/tactora/changelog.Debian.gz"});
  expectTree(tree, files);

  const fs::path doc = tree / "usr/share/doc/tactora";
  EXPECT_EQ(readFile(doc / "copyright"), readFile(testing::sourceDir() + "/data/debian/copyright"));
  // The gzip header: magic, deflate, no flags (so no file name), and a modification time of 0.
  const std::string compressed = readFile(doc / "changelog.Debian.gz");
  EXPECT_EQ(compressed.substr(0, 8), std::string("\x1f\x8b\x08\0\0\0\0\0", 8));
  const ProcessResult changelog = run({"gzip", "-dc", (doc / "changelog.Debian.gz").string()});
  ASSERT_EQ(changelog.status, 0) << changelog.output;
  EXPECT_EQ(changelog.output, "tactora (" + field("Version") + ") unstable; urgency=low\n\n" +
                                  "  * Initial package.\n\n" + " -- " + field("Maintainer") + "  " +
                                  TACTORA_PACKAGE_DATE + "\n");
  fs::remove_all(tree);

  // It depends on every runtime package it uses.
  const std::string depends = field("Depends");
  for (const std::string needed :
       {"libevdev2", "libudev1", "libsystemd0", "libx11-6", "libglib2.0-0", "libqt6widgets6",
        "libqt6svg6", "libqt6dbus6", "libqt6network6", "qt6-qpa-plugins", "pkexec"}) {
    // A whole entry or alternative, with or without a version constraint.
    EXPECT_TRUE(std::regex_search(depends, std::regex("(^|[,|] *)" + needed + "( |,|$)")))
        << needed << " missing from: " << depends;
  }
}

// The maintainer scripts, extracted with an empty bin/ for the programs put before the system's,
// and run with a udevadm that logs its arguments and fails (as it does where udev is not running).
TEST(DebianPackage, MaintainerScriptsHaveUdevReloadLinkTheExtensionAndSucceedWhenUdevFails) {
  const fs::path work = fs::path(TACTORA_INSTALL_DEB_DIR) / "scripts-test";
  fs::remove_all(work);
  fs::create_directories(work / "bin");
  const ProcessResult extract =
      run({"dpkg-deb", "-e", package().string(), (work / "control").string()});
  ASSERT_EQ(extract.status, 0) << extract.output;
  writeProgram(work, "udevadm", "echo \"$*\" >>\"$(dirname \"$0\")/calls\"\nexit 1\n");
  const std::string reload =
      "control --reload-rules\n"
      "trigger --action=change --subsystem-match=input --subsystem-match=misc\n";
  // An upgrade's old-version postrm leaves udev alone: the new version's postinst reloads it.
  for (const auto& [script, argument, calls] :
       {std::tuple{"postinst", "configure", reload}, std::tuple{"postrm", "remove", reload},
        std::tuple{"postrm", "upgrade", std::string()}}) {
    fs::remove(work / "bin/calls");
    const ProcessResult ran = runScript(work, script, {argument});
    EXPECT_EQ(ran.status, 0) << script << ": " << ran.output;
    EXPECT_EQ(readFile(work / "bin/calls"), calls) << script << " " << argument;
  }

  // Removing, as purging, takes away the copy of the rule "Request" put in /etc while it is still
  // ours; an administrator's own file of that name stays. (/etc/udev/rules.d is a scratch folder
  // in a mount namespace of the script's own.)
  const std::string rule = readFile(testing::sourceDir() + "/data/udev/69-tactora.rules");
  const fs::path rules = work / "rules.d";
  for (const char* argument : {"remove", "purge"}) {
    for (const std::string& text : {rule, std::string("# mine\n")}) {
      fs::remove_all(rules);
      fs::create_directories(rules);
      std::ofstream(rules / "69-tactora.rules") << text;
      const ProcessResult ran =
          runScript(work, "postrm", {argument},
                    {"unshare", "-m", "sh", "-c",
                     "mount --bind \"$0\" /etc/udev/rules.d && exec \"$@\"", rules.string()});
      EXPECT_EQ(ran.status, 0) << ran.output;
      EXPECT_EQ(fs::exists(rules / "69-tactora.rules"), text != rule) << argument;
    }
  }

  // The postinst links the extension's generation for the GNOME Shell installed, on configure and
  // again on the gnome-shell trigger.
  EXPECT_NE(readFile(work / "control/triggers").find("interest-noawait /usr/bin/gnome-shell"),
            std::string::npos);
  const fs::path link = work / "root/usr/share/gnome-shell/extensions/tactora@vellumworks.com";
  for (const auto& [shell, argument, generation] :
       {std::tuple{"GNOME Shell 43.9", "configure", "gnome-42"},
        std::tuple{"GNOME Shell 46.0", "triggered", "gnome-45"},
        std::tuple{"GNOME Shell 44.2", "triggered", "gnome-42"},
        std::tuple{"", "triggered", "gnome-45"}}) {
    writeProgram(work, "gnome-shell",
                 *shell ? std::string("echo '") + shell + "'\n" : std::string("exit 127\n"));
    const ProcessResult ran = runScript(work, "postinst", {argument, "/usr/bin/gnome-shell"});
    EXPECT_EQ(ran.status, 0) << ran.output;
    EXPECT_EQ(fs::read_symlink(link),
              fs::path("../../tactora/gnome-shell") / generation / "tactora@vellumworks.com")
        << shell;
  }
}

}  // namespace
}  // namespace tactora::installtest
