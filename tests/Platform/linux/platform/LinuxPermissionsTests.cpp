// The grants as the log names them: the file that could not be opened, why, and what grants it.

#include "Platform/linux/platform/LinuxPermissions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "Tactora/config/TemporaryDirectory.h"

namespace tactora::lx {
namespace {

TEST(LinuxPermissions, AccessibilityNamesTheUinputNodeThatCannotBeOpened) {
  TemporaryDirectory folder;
  const std::string missing = (folder.path() / "uinput").string();
  LinuxPermissions denied(missing);
  EXPECT_FALSE(denied.isProcessTrusted());
  EXPECT_EQ(denied.accessibilityDenial(),
            missing + ": No such file or directory — the udev rule 69-tactora.rules grants it");

  std::ofstream(missing).put('\n');
  LinuxPermissions granted(missing);
  EXPECT_TRUE(granted.isProcessTrusted());
  EXPECT_EQ(granted.accessibilityDenial(), std::nullopt);
}

}  // namespace
}  // namespace tactora::lx
