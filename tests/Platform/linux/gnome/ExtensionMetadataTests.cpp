// The GNOME Shell extension we ship: its metadata, and the bus interface the client expects.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "Platform/linux/gnome/GnomeExtensionClient.h"

namespace tactora::lx {
namespace {

const std::filesystem::path extensionDir = TACTORA_GNOME_EXTENSION_DIR;

std::string read(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(GnomeShellExtension, MetadataNamesTheFoldersUuidAndTheShellsThatLoadIt) {
  const nlohmann::json metadata = nlohmann::json::parse(read(extensionDir / "metadata.json"));
  EXPECT_EQ(metadata.at("uuid"), extensionDir.filename().string());
  EXPECT_EQ(metadata.at("uuid"), GnomeExtensionClient::uuid);
  EXPECT_EQ(metadata.at("name"), "Tactora");
  EXPECT_FALSE(metadata.at("description").get<std::string>().empty());
  const auto& versions = metadata.at("shell-version");
  ASSERT_TRUE(versions.is_array());
  ASSERT_FALSE(versions.empty());
  for (const auto& version : versions) {
    // extension.js is an ES module, which only GNOME 45 and later load.
    EXPECT_GE(std::stoi(version.get<std::string>()), 45) << version;
  }
}

TEST(GnomeShellExtension, ExportsTheInterfaceTheClientCalls) {
  const std::string script = read(extensionDir / "extension.js");
  ASSERT_FALSE(script.empty());
  EXPECT_NE(script.find("export default class"), std::string::npos);
  for (const std::string& expected :
       {std::string("'") + GnomeExtensionClient::objectPath + "'",
        std::string("<interface name=\"") + GnomeExtensionClient::interfaceName + "\">",
        std::string("<method name=\"FocusedApplication\">"),
        std::string("<arg name=\"desktopId\" type=\"s\" direction=\"out\"/>"),
        std::string("<method name=\"CloseFocusedWindow\">"),
        std::string("<arg name=\"closed\" type=\"b\" direction=\"out\"/>"),
        std::string("<signal name=\"FocusedApplicationChanged\">")}) {
    EXPECT_NE(script.find(expected), std::string::npos) << expected;
  }
}

}  // namespace
}  // namespace tactora::lx
