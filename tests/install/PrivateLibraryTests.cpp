// Finding the program's own libraries relative to the program: beside it in a build tree, in its
// private library folder once installed, never in the system's folders (the loader's business).

#include "Platform/PrivateLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Platform/AtomicFile.h"
#include "Tactora/config/TemporaryDirectory.h"

namespace tactora::platform {
namespace {

namespace fs = std::filesystem;

TEST(PrivateLibrary, BesideTheProgramFirstThenItsPrivateFolder) {
  const fs::path privateFolder = TACTORA_PRIVATE_LIBDIR;
  EXPECT_EQ(std::string(PrivateLibrary::folderRelativeToProgram()), "../" + privateFolder.string());
  struct Case {
    std::vector<fs::path> libraries;  // relative to the program's prefix
    std::string found;                // empty: none
  };
  const Case cases[] = {
      {{privateFolder / "libX.so"}, (privateFolder / "libX.so").string()},
      {{"bin/libX.so", privateFolder / "libX.so"}, "bin/libX.so"},
      {{"lib/libX.so"}, ""},
  };
  for (const Case& c : cases) {
    const TemporaryDirectory prefix("tactora-private-library");
    const fs::path program = prefix.path() / "bin/tactora";
    AtomicFile::write(program, "x");
    for (const fs::path& library : c.libraries) {
      AtomicFile::write(prefix.path() / library, "x");
    }
    EXPECT_EQ(PrivateLibrary::find(program.string(), "libX.so"),
              c.found.empty() ? "" : (prefix.path() / c.found).string())
        << c.found;
  }
}

}  // namespace
}  // namespace tactora::platform
