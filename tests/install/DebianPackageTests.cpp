// The .deb `cpack -G DEB` builds: the installed tree with root's ownership and the right modes,
// the runtime packages it depends on, and maintainer scripts that have udev apply or forget the
// rule without ever failing the installation.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

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

TEST(DebianPackage, HoldsExactlyTheInstalledFilesOwnedByRootWithTheirModes) {
  const fs::path deb = package();
  ASSERT_FALSE(deb.empty()) << "no .deb in " << TACTORA_INSTALL_DEB_DIR;
  EXPECT_EQ(
      deb.filename().string().rfind(std::string("tactora_") + TACTORA_PACKAGE_VERSION + "-", 0), 0u)
      << deb;
  const CommandResult listing = run("dpkg-deb -c " + quoted(deb.string()));
  ASSERT_EQ(listing.status, 0) << listing.output;

  // Lines read: -rwxr-xr-x root/root 123 2024-01-01 00:00 ./usr/bin/tactora
  std::map<std::string, std::string> modes;
  std::set<std::string> links;
  std::istringstream lines(listing.output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string mode, owner, size, date, time, path;
    fields >> mode >> owner >> size >> date >> time >> path;
    EXPECT_EQ(owner, "root/root") << line;
    if (mode.front() == 'l') {
      links.insert(path.substr(path.starts_with("./") ? 2 : 0));
    } else if (mode.front() != 'd') {
      modes[path.substr(path.starts_with("./") ? 2 : 0)] = mode;
    }
  }
  std::set<std::string> files = links;
  for (const auto& [path, mode] : modes) {
    files.insert(path);
    // The providers are loaded, not run: shared libraries are not executable.
    const bool program =
        path == "usr/bin/tactora" || path == "usr/libexec/tactora/tactora-permission-helper";
    EXPECT_EQ(mode, program ? "-rwxr-xr-x" : "-rw-r--r--") << path;
  }
  EXPECT_EQ(files, expectedPackageFiles());
}

// The copyright file as written in the source, and a changelog whose entry names the package's own
// version and maintainer, dated from SOURCE_DATE_EPOCH and compressed without a name or time in its
// header, so that the same commit always gives the same package.
TEST(DebianPackage, CarriesTheCopyrightAndAReproducibleChangelog) {
  const fs::path deb = package();
  const fs::path tree = fs::path(TACTORA_INSTALL_DEB_DIR) / "contents-test";
  fs::remove_all(tree);
  const CommandResult extract =
      run("dpkg-deb -x " + quoted(deb.string()) + " " + quoted(tree.string()));
  ASSERT_EQ(extract.status, 0) << extract.output;
  const fs::path doc = tree / "usr/share/doc/tactora";

  const std::string copyright = readFile(doc / "copyright");
  EXPECT_EQ(copyright, readFile(testing::sourceDir() + "/data/debian/copyright"));
  EXPECT_TRUE(copyright.starts_with(
      "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));

  // The gzip header: magic, deflate, no flags (so no file name), and a modification time of 0.
  const std::string compressed = readFile(doc / "changelog.Debian.gz");
  ASSERT_GE(compressed.size(), 10u);
  EXPECT_EQ(compressed.substr(0, 8), std::string("\x1f\x8b\x08\0\0\0\0\0", 8));

  auto field = [&](const std::string& name) {
    CommandResult value = run("dpkg-deb -f " + quoted(deb.string()) + " " + name);
    EXPECT_EQ(value.status, 0) << value.output;
    while (!value.output.empty() && value.output.back() == '\n') {
      value.output.pop_back();
    }
    return value.output;
  };
  const CommandResult changelog = run("gzip -dc " + quoted((doc / "changelog.Debian.gz").string()));
  ASSERT_EQ(changelog.status, 0) << changelog.output;
  EXPECT_EQ(changelog.output, "tactora (" + field("Version") + ") unstable; urgency=low\n\n" +
                                  "  * Initial package.\n\n" + " -- " + field("Maintainer") + "  " +
                                  TACTORA_PACKAGE_DATE + "\n");
  fs::remove_all(tree);
}

TEST(DebianPackage, DependsOnEveryRuntimePackageItUses) {
  const CommandResult control = run("dpkg-deb -f " + quoted(package().string()) + " Depends");
  ASSERT_EQ(control.status, 0) << control.output;
  // Each entry of Depends, without version constraints and alternatives split apart.
  std::set<std::string> names;
  std::string entry;
  std::istringstream entries(control.output);
  while (std::getline(entries, entry, ',')) {
    std::istringstream alternatives(entry);
    std::string word;
    while (alternatives >> word) {
      if (word != "|" && word.front() != '(' && word.back() != ')') {
        names.insert(word);
      }
    }
  }
  for (const char* needed :
       {"libevdev2", "libudev1", "libsystemd0", "libx11-6", "libglib2.0-0", "libqt6widgets6",
        "libqt6svg6", "libqt6dbus6", "libqt6network6", "qt6-qpa-plugins", "pkexec"}) {
    EXPECT_TRUE(names.count(needed)) << needed << " missing from: " << control.output;
  }
}

// The maintainer scripts, run as dpkg runs them, with a udevadm that logs its arguments and fails
// (as it does where udev is not running).
TEST(DebianPackage, MaintainerScriptsHaveUdevReloadAndSucceedWhenItFails) {
  const fs::path work = fs::path(TACTORA_INSTALL_DEB_DIR) / "scripts-test";
  fs::remove_all(work);
  fs::create_directories(work / "bin");
  const CommandResult extract =
      run("dpkg-deb -e " + quoted(package().string()) + " " + quoted((work / "control").string()));
  ASSERT_EQ(extract.status, 0) << extract.output;
  {
    std::ofstream udevadm(work / "bin/udevadm");
    udevadm << "#!/bin/sh\necho \"$*\" >>\"$(dirname \"$0\")/calls\"\nexit 1\n";
  }
  fs::permissions(work / "bin/udevadm", fs::perms::owner_all);

  // The scripts work below $DPKG_ROOT, as dpkg has them do, so the host's folders stay untouched.
  const std::string path = "PATH=" + quoted((work / "bin").string()) +
                           ":\"$PATH\" DPKG_ROOT=" + quoted((work / "root").string()) + " ";
  const std::string expected =
      "control --reload-rules\n"
      "trigger --action=change --subsystem-match=input --subsystem-match=misc\n";
  for (const auto& [script, argument] :
       {std::pair{"postinst", "configure"}, std::pair{"postrm", "remove"}}) {
    fs::remove(work / "bin/calls");
    const fs::path file = work / "control" / script;
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                  fs::perms::others_read | fs::perms::others_exec)
        << script;
    const CommandResult ran = run(path + quoted(file.string()) + " " + argument);
    EXPECT_EQ(ran.status, 0) << script << ": " << ran.output;
    EXPECT_EQ(readFile(work / "bin/calls"), expected) << script;
  }
  // An upgrade's old-version postrm leaves udev alone: the new version's postinst reloads it.
  fs::remove(work / "bin/calls");
  EXPECT_EQ(run(path + quoted((work / "control/postrm").string()) + " upgrade").status, 0);
  EXPECT_FALSE(fs::exists(work / "bin/calls"));

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
      const std::string inNamespace = "mount --bind " + quoted(rules.string()) +
                                      " /etc/udev/rules.d && " +
                                      quoted((work / "control/postrm").string()) + " " + argument;
      const CommandResult ran = run(path + "unshare -m sh -c " + quoted(inNamespace));
      EXPECT_EQ(ran.status, 0) << ran.output;
      EXPECT_EQ(fs::exists(rules / "69-tactora.rules"), text != rule) << argument;
    }
  }
}

// The postinst links the extension's generation for the GNOME Shell installed, on configure and
// again on the gnome-shell trigger.
TEST(DebianPackage, LinksTheGnomeShellExtensionTheInstalledShellLoads) {
  const fs::path work = fs::path(TACTORA_INSTALL_DEB_DIR) / "extension-link-test";
  fs::remove_all(work);
  fs::create_directories(work / "bin");
  ASSERT_EQ(
      run("dpkg-deb -e " + quoted(package().string()) + " " + quoted((work / "control").string()))
          .status,
      0);
  EXPECT_NE(readFile(work / "control/triggers").find("interest-noawait /usr/bin/gnome-shell"),
            std::string::npos);
  const fs::path link = work / "root/usr/share/gnome-shell/extensions/tactora@vellumworks.com";
  for (const auto& [shell, argument, generation] :
       {std::tuple{"GNOME Shell 43.9", "configure", "gnome-42"},
        std::tuple{"GNOME Shell 46.0", "triggered", "gnome-45"},
        std::tuple{"GNOME Shell 44.2", "triggered", "gnome-42"},
        std::tuple{"", "triggered", "gnome-45"}}) {
    {
      std::ofstream program(work / "bin/gnome-shell");
      program << "#!/bin/sh\n" << (*shell ? std::string("echo '") + shell + "'\n" : "exit 127\n");
    }
    fs::permissions(work / "bin/gnome-shell", fs::perms::owner_all);
    const CommandResult ran = run("PATH=" + quoted((work / "bin").string()) +
                                  ":\"$PATH\" DPKG_ROOT=" + quoted((work / "root").string()) + " " +
                                  quoted((work / "control/postinst").string()) + " " + argument +
                                  " /usr/bin/gnome-shell");
    EXPECT_EQ(ran.status, 0) << ran.output;
    EXPECT_EQ(fs::read_symlink(link),
              fs::path("../../tactora/gnome-shell") / generation / "tactora@vellumworks.com")
        << shell;
  }
}

}  // namespace
}  // namespace tactora::installtest
