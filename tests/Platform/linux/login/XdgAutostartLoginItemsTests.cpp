#include <array>
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Platform/AtomicFile.h"
#include "Platform/linux/login/XdgAutostartLoginItems.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "tests/support/SourceTree.h"

namespace tactora::lx {
namespace {

namespace fs = std::filesystem;
using platform::LoginItemStatus;
using ::testing::HasSubstr;
using Launch = std::vector<std::string>;  // the program, then its arguments

class XdgAutostartLoginItemsTest : public ::testing::Test {
 protected:
  XdgAutostartLoginItems items(std::string program = "/usr/bin/tactora") {
    return XdgAutostartLoginItems(
        home_.path().string(), std::move(program),
        [this](const std::string& executable, const std::vector<std::string>& arguments) {
          launches_.push_back({executable});
          launches_.back().insert(launches_.back().end(), arguments.begin(), arguments.end());
          return true;
        });
  }
  fs::path entry() const { return home_.path() / "autostart/com.vellumworks.Tactora.desktop"; }
  fs::path unit() const { return home_.path() / "systemd/user/tactora.service"; }

  TemporaryDirectory home_;
  std::vector<Launch> launches_;
};

TEST_F(XdgAutostartLoginItemsTest, RegisterWritesTheEntryThatReadsBackAsEnabled) {
  auto login = items();
  EXPECT_EQ(login.mainAppStatus(), LoginItemStatus::notRegistered);
  EXPECT_EQ(login.registerMainApp(), std::nullopt);
  EXPECT_EQ(testing::readFile(entry()),
            "[Desktop Entry]\nType=Application\nName=Tactora\n"
            "Comment=Gestures for the Magic Mouse\nExec=/usr/bin/tactora\n"
            "Icon=com.vellumworks.Tactora\nNoDisplay=false\nX-GNOME-Autostart-enabled=true\n");
  EXPECT_EQ(fs::status(entry()).permissions() & fs::perms::all, fs::perms(0644));
  EXPECT_EQ(login.mainAppStatus(), LoginItemStatus::enabled);

  EXPECT_EQ(login.unregisterMainApp(), std::nullopt);
  EXPECT_EQ(login.mainAppStatus(), LoginItemStatus::notRegistered);
  EXPECT_EQ(login.unregisterMainApp(), std::nullopt);  // nothing to remove is no failure
  EXPECT_TRUE(launches_.empty());

  // Entries written by hand are read as the session would start them.
  const std::vector<std::pair<std::string, LoginItemStatus>> cases = {
      {"[Desktop Entry]\nType=Application\nHidden=false\n", LoginItemStatus::enabled},
      {"[Desktop Entry]\nType=Application\nHidden = true \n", LoginItemStatus::notRegistered},
      {"[Desktop Entry]\nType=Application\nX-GNOME-Autostart-enabled=false\n",
       LoginItemStatus::notRegistered},
      {"# Hidden=true\n[Desktop Entry]\nType=Application\n[Desktop Action quit]\nHidden=true\n",
       LoginItemStatus::enabled},
      {"[Desktop Entry]\nExec=tactora\n", LoginItemStatus::notRegistered},  // no Type: invalid
      {"Exec=tactora\n", LoginItemStatus::notRegistered},                   // no group: no entry
  };
  for (const auto& [text, status] : cases) {
    platform::AtomicFile::write(entry(), text);
    EXPECT_EQ(login.mainAppStatus(), status) << text;
  }
}

TEST_F(XdgAutostartLoginItemsTest, ProgramIsQuotedForEachFile) {
  // Desktop entries escape " ` $ \ inside quotes and then every backslash again at the value
  // level; both files double % and units double $.
  for (const auto& [program, exec, execStart] : std::vector<std::array<std::string, 3>>{
           {"/opt/My Apps/tactora", "\"/opt/My Apps/tactora\"", "\"/opt/My Apps/tactora\""},
           {"/opt/100%/$HOME/t", "\"/opt/100%%/\\\\$HOME/t\"", "/opt/100%%/$$HOME/t"},
           {"/opt/a\"b\\c/t", "\"/opt/a\\\\\"b\\\\\\\\c/t\"", "\"/opt/a\\\"b\\\\c/t\""}}) {
    EXPECT_THAT(XdgAutostartLoginItems::autostartEntry(program),
                HasSubstr("\nExec=" + exec + "\n"));
    EXPECT_THAT(XdgAutostartLoginItems::unitFile(program),
                HasSubstr("\nExecStart=" + execStart + "\n"));
  }
}

TEST_F(XdgAutostartLoginItemsTest, FailuresNameTheFile) {
  // A plain file where the folder should be.
  platform::AtomicFile::write(home_.path() / "autostart", "");
  EXPECT_EQ(
      items().registerMainApp(),
      "cannot create the folder " + (home_.path() / "autostart").string() + ": Not a directory");
  // The session cannot start a relative command.
  EXPECT_EQ(items().installAgent("tactora"),
            "cannot write " + unit().string() + ": the program's path \"tactora\" is not absolute");
  EXPECT_FALSE(fs::exists(unit()));
  EXPECT_TRUE(launches_.empty());
}

TEST_F(XdgAutostartLoginItemsTest, AgentIsAUserUnitEnabledAndDisabledThroughSystemctl) {
  auto login = items();
  EXPECT_EQ(login.installAgent("/usr/bin/tactora"), std::nullopt);
  EXPECT_EQ(testing::readFile(unit()),
            "[Unit]\nDescription=Tactora, gestures for the Magic Mouse\n"
            "PartOf=graphical-session.target\nAfter=graphical-session.target\n\n"
            "[Service]\nExecStart=/usr/bin/tactora\nRestart=on-failure\n\n"
            "[Install]\nWantedBy=graphical-session.target\n");

  // What "systemctl --user enable" makes goes too, even before systemctl gets to it; other units
  // stay.
  const fs::path link = unit().parent_path() / "graphical-session.target.wants/tactora.service";
  fs::create_directories(link.parent_path());
  fs::create_symlink(unit(), link);
  platform::AtomicFile::write(home_.path() / "systemd/user/other.service", "[Service]\n");
  login.removeAgent();
  EXPECT_EQ(launches_,
            (std::vector<Launch>{{"systemctl", "--user", "enable", "tactora.service"},
                                 {"systemctl", "--user", "disable", "tactora.service"}}));
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  EXPECT_FALSE(fs::exists(unit()));
  EXPECT_TRUE(fs::exists(unit().parent_path() / "other.service"));
}

}  // namespace
}  // namespace tactora::lx
