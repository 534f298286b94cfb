// The GNOME Shell extension we ship in two generations: each loads on its own shells, and both
// serve the one bus interface the client calls, with the same code. (They run for real in
// GnomeShellTests, on GNOME 43.)

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Platform/linux/gnome/GnomeExtensionClient.h"
#include "Platform/linux/gnome/GnomeExtensionStatus.h"
#include "tests/support/SourceTree.h"

namespace tactora::lx {
namespace {

const std::filesystem::path extensions = TACTORA_GNOME_EXTENSIONS_DIR;

// The part of extension.js both generations share, from its first to its last marker line.
std::string sharedPart(const std::string& script) {
  const auto begin = script.find("// ---- The same in both generations");
  const auto end = script.find("// ---- End of the part both generations share");
  return begin == std::string::npos || end == std::string::npos ? ""
                                                                : script.substr(begin, end - begin);
}

TEST(GnomeShellExtension, EachGenerationLoadsOnItsOwnShellsAndBothShareTheCode) {
  struct Generation {
    const char* folder;
    int firstVersion;
    int lastVersion;
    bool module;
  };
  std::vector<std::string> shared;
  for (const Generation generation :
       {Generation{"gnome-42", 42, 44, false}, Generation{"gnome-45", 45, 99, true}}) {
    SCOPED_TRACE(generation.folder);
    const auto folder = extensions / generation.folder / GnomeExtensionClient::uuid;
    const auto metadata = nlohmann::json::parse(testing::readFile(folder / "metadata.json"));
    EXPECT_EQ(metadata.at("uuid"), GnomeExtensionClient::uuid);
    ASSERT_FALSE(metadata.at("shell-version").empty());
    for (const auto& version : metadata.at("shell-version")) {
      const std::string text = version.get<std::string>();
      EXPECT_GE(std::stoi(text), generation.firstVersion) << text;
      EXPECT_LE(std::stoi(text), generation.lastVersion) << text;
      EXPECT_EQ(GnomeExtensionStatus::generation(text + ".1"), generation.folder) << text;
    }
    // GNOME 42 to 44 fail to parse a script with import statements; 45 and later load only an ES
    // module with a default export.
    const std::string script = testing::readFile(folder / "extension.js");
    EXPECT_EQ(script.find("\nimport ") != std::string::npos, generation.module);
    EXPECT_EQ(script.find("\nexport default class") != std::string::npos, generation.module);
    EXPECT_EQ(script.find("\nfunction init(") != std::string::npos, !generation.module);
    shared.push_back(sharedPart(script));
  }
  // The older generation serves the client for real on GNOME 43; the newer shares its code.
  ASSERT_FALSE(shared.front().empty());
  EXPECT_EQ(shared.front(), shared.back())
      << "the caller rule, the methods and the overlay are the same code";
}

}  // namespace
}  // namespace tactora::lx
