// The .deb `cpack -G DEB` builds: the installed tree with root's ownership and the right modes,
// the runtime packages it depends on, and maintainer scripts that have udev apply or forget the
// rule without ever failing the installation.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "install/InstallTestSupport.h"
#include "support/SourceTree.h"

namespace tactora::installtest {
namespace {

namespace fs = std::filesystem;

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

// A fresh folder `name` beside the package holding its maintainer scripts in control/ and an empty
// bin/ for the programs a test puts before the system's.
fs::path withScripts(const std::string& name) {
  const fs::path work = fs::path(TACTORA_INSTALL_DEB_DIR) / name;
  fs::remove_all(work);
  fs::create_directories(work / "bin");
  const ProcessResult extract =
      run({"dpkg-deb", "-e", package().string(), (work / "control").string()});
  EXPECT_EQ(extract.status, 0) << extract.output;
  return work;
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
TEST(DebianPackage, HoldsTheInstalledTreeOwnedByRootAndAReproducibleChangelog) {
  const fs::path deb = package();
  ASSERT_FALSE(deb.empty()) << "no .deb in " << TACTORA_INSTALL_DEB_DIR;
  EXPECT_TRUE(
      deb.filename().string().starts_with(std::string("tactora_") + TACTORA_PACKAGE_VERSION + "-"))
      << deb;
  const fs::path tree = fs::path(TACTORA_INSTALL_DEB_DIR) / "contents-test";
  fs::remove_all(tree);
  const ProcessResult extract = run({"dpkg-deb", "-x", deb.string(), tree.string()});
  ASSERT_EQ(extract.status, 0) << extract.output;
  expectTree(tree, expectedPackageFiles());

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
}

TEST(DebianPackage, DependsOnEveryRuntimePackageItUses) {
  const std::string depends = field("Depends");
  for (const std::string needed :
       {"libevdev2", "libudev1", "libsystemd0", "libx11-6", "libglib2.0-0", "libqt6widgets6",
        "libqt6svg6", "libqt6dbus6", "libqt6network6", "qt6-qpa-plugins", "pkexec"}) {
    // A whole entry or alternative, with or without a version constraint.
    const std::regex entry("(^|[,|] *)" + std::regex_replace(needed, std::regex("[.+]"), "\\$&") +
                           "( |,|$)");
    EXPECT_TRUE(std::regex_search(depends, entry)) << needed << " missing from: " << depends;
  }
}

// The maintainer scripts, run with a udevadm that logs its arguments and fails (as it does where
// udev is not running).
TEST(DebianPackage, MaintainerScriptsHaveUdevReloadAndSucceedWhenItFails) {
  const fs::path work = withScripts("scripts-test");
  writeProgram(work, "udevadm", "echo \"$*\" >>\"$(dirname \"$0\")/calls\"\nexit 1\n");
  const std::string reload =
      "control --reload-rules\n"
      "trigger --action=change --subsystem-match=input --subsystem-match=misc\n";
  // An upgrade's old-version postrm leaves udev alone: the new version's postinst reloads it.
  for (const auto& [script, argument, calls] :
       {std::tuple{"postinst", "configure", reload}, std::tuple{"postrm", "remove", reload},
        std::tuple{"postrm", "upgrade", std::string()}}) {
    fs::remove(work / "bin/calls");
    EXPECT_EQ(fs::status(work / "control" / script).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                  fs::perms::others_read | fs::perms::others_exec)
        << script;
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
}

// The postinst links the extension's generation for the GNOME Shell installed, on configure and
// again on the gnome-shell trigger.
TEST(DebianPackage, LinksTheGnomeShellExtensionTheInstalledShellLoads) {
  const fs::path work = withScripts("extension-link-test");
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
