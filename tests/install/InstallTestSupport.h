#pragma once

// What the install tests share: the staging folder the build was installed into, the files an
// installation holds with their owner and modes, and running a program with its output captured.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/desktop/ChildProcess.h"

namespace tactora::installtest {

using testing::ProcessResult;

// Runs a program to its end, both output streams captured.
inline ProcessResult run(const std::vector<std::string>& arguments) {
  return testing::runProcess(arguments, {});
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The staging folder (DESTDIR) the build was installed into with the prefix /usr.
inline std::filesystem::path stage() {
  return TACTORA_INSTALL_STAGE;
}

// Every file (not folder) an installation with the prefix /usr holds, relative to the root.
inline std::set<std::string> expectedFiles() {
  const std::string privateLibs = std::string("usr/") + TACTORA_PRIVATE_LIBDIR + "/";
  return {
      "usr/bin/tactora",
      privateLibs + "libTactoraDesktop.so",
      privateLibs + "libTactoraEvdevProvider.so",
      privateLibs + "libTactoraSimProvider.so",
      privateLibs + "libTactoraPlaybackProvider.so",
      "usr/libexec/tactora/tactora-permission-helper",
      "usr/lib/udev/rules.d/69-tactora.rules",
      "usr/lib/systemd/user/tactora.service",
      "usr/share/polkit-1/actions/com.vellumworks.Tactora.policy",
      "usr/share/applications/com.vellumworks.Tactora.desktop",
      "usr/share/metainfo/com.vellumworks.Tactora.metainfo.xml",
      "usr/share/icons/hicolor/scalable/apps/com.vellumworks.Tactora.svg",
      "usr/share/icons/hicolor/symbolic/apps/tactora-gestures-enabled-symbolic.svg",
      "usr/share/icons/hicolor/symbolic/apps/tactora-gestures-disabled-symbolic.svg",
      "usr/share/tactora/gnome-shell/gnome-42/tactora@vellumworks.com/extension.js",
      "usr/share/tactora/gnome-shell/gnome-42/tactora@vellumworks.com/metadata.json",
      "usr/share/tactora/gnome-shell/gnome-45/tactora@vellumworks.com/extension.js",
      "usr/share/tactora/gnome-shell/gnome-45/tactora@vellumworks.com/metadata.json",
      "usr/share/gnome-shell/extensions/tactora@vellumworks.com",  // a link to one of them
      "usr/share/doc/tactora/permissions.md",
      "usr/share/doc/tactora/ACKNOWLEDGEMENTS.md",
      "usr/share/man/man1/tactora.1.gz",
  };
}

// The files the Debian package holds besides those of an installation: the copyright file and
// changelog Debian requires of every package.
inline std::set<std::string> expectedPackageFiles() {
  std::set<std::string> files = expectedFiles();
  files.insert("usr/share/doc/tactora/copyright");
  files.insert("usr/share/doc/tactora/changelog.Debian.gz");
  return files;
}

// The files and links (not folders) under `root` are exactly `expected`, each owned by root, the
// programs 0755 and the rest 0644 (the providers are loaded, not run).
inline void expectTree(const std::filesystem::path& root, const std::set<std::string>& expected) {
  namespace fs = std::filesystem;
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

}  // namespace tactora::installtest
