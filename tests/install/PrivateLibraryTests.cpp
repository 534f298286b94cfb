// Finding the program's own libraries relative to the program: beside it in a build tree, in its
// private library folder once installed.

#include "Platform/PrivateLibrary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tactora::platform {
namespace {

namespace fs = std::filesystem;

class PrivateLibraryFind : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tactora-private-library-" + std::to_string(::getpid()));
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path touch(const fs::path& relative) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
    return path;
  }

  fs::path root_;
};

TEST_F(PrivateLibraryFind, InstalledProgramUsesItsPrivateFolderNamedWithoutDotDot) {
  const fs::path program = touch("usr/bin/tactora");
  const fs::path library = touch(fs::path("usr") / TACTORA_PRIVATE_LIBDIR / "libX.so");
  EXPECT_EQ(PrivateLibrary::find(program.string(), "libX.so"), library.string());
}

TEST_F(PrivateLibraryFind, BuildTreeLibraryBesideTheProgramComesFirst) {
  const fs::path program = touch("build/bin/tactora");
  const fs::path beside = touch("build/bin/libX.so");
  touch(fs::path("build") / TACTORA_PRIVATE_LIBDIR / "libX.so");
  EXPECT_EQ(PrivateLibrary::find(program.string(), "libX.so"), beside.string());
}

TEST_F(PrivateLibraryFind, NothingWhenTheLibraryIsInNeitherPlace) {
  const fs::path program = touch("usr/bin/tactora");
  touch("usr/lib/libX.so");  // the system's folder is the loader's business, not ours
  EXPECT_EQ(PrivateLibrary::find(program.string(), "libX.so"), "");
}

TEST(PrivateLibrary, FolderIsTheInstalledLayoutsRelativeToBin) {
  EXPECT_EQ(std::string(PrivateLibrary::folderRelativeToProgram()),
            std::string("../") + TACTORA_PRIVATE_LIBDIR);
}

}  // namespace
}  // namespace tactora::platform
