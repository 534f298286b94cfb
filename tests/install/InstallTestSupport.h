#pragma once

// What the install tests share: the staging folder the build was installed into, the list of
// files an installation holds, and running a program with its output captured.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace tactora::installtest {

struct CommandResult {
  int status = -1;     // the exit status; -1 when the program did not exit normally
  std::string output;  // standard output and standard error together
};

// One argument for the shell, in single quotes.
inline std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) {
    result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return result + "'";
}

// Runs a shell command line, both output streams captured.
inline CommandResult run(const std::string& commandLine) {
  CommandResult result;
  FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  char buffer[4096];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    result.output.append(buffer, count);
  }
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
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

// The files and links (not folders) under `root`, relative to it.
inline std::set<std::string> filesUnder(const std::filesystem::path& root) {
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_symlink() || !entry.is_directory()) {
      files.insert(entry.path().lexically_relative(root).string());
    }
  }
  return files;
}

}  // namespace tactora::installtest
