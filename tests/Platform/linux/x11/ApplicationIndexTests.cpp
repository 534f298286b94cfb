#include <gtest/gtest.h>

#include <utility>

#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/desktop/XdgApplicationCatalog.h"
#include "tests/support/desktop/DesktopSession.h"

namespace tactora::lx {
namespace {

std::string application(const std::string& keys) {
  return "[Desktop Entry]\nType=Application\nExec=true\n" + keys + "\n";
}

TEST(DesktopEntry, ReadsOnlyTheMainGroupOfApplications) {
  const auto entry = DesktopEntry::parse(
      "# comment\n"
      "[Desktop Entry]\r\n"
      "Name[de]=Textbearbeitung\n"
      "Name = Text\\sEditor\\\\1\r\n"
      "Icon=org.gnome.TextEditor\n"
      "Type=Application\n"
      "StartupWMClass=gnome-text-editor\n"
      "NoDisplay=true\n"
      "[Desktop Action new-window]\n"
      "Name=New Window\n"
      "Icon=other\n");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "Text Editor\\1");
  EXPECT_EQ(entry->icon, "org.gnome.TextEditor");
  EXPECT_EQ(entry->startupWMClass, "gnome-text-editor");
  EXPECT_TRUE(entry->noDisplay);
  EXPECT_FALSE(entry->hidden);

  EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nType=Link\nName=Site\n"));
  EXPECT_FALSE(DesktopEntry::parse("[Desktop Action x]\nType=Application\nName=Wrong\n"));
  EXPECT_FALSE(DesktopEntry::parse("Type=Application\nName=No group\n"));
  // A user's deletion marker needs no Type.
  const auto deleted = DesktopEntry::parse("[Desktop Entry]\nHidden=true\n");
  ASSERT_TRUE(deleted);
  EXPECT_TRUE(deleted->hidden);
}

TEST(ApplicationIndex, DataDirectoriesFollowTheBaseDirectoryDefaults) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ApplicationIndex::dataDirectories(nullptr, nullptr, "/home/u"),
            (V{"/home/u/.local/share", "/usr/local/share", "/usr/share"}));
  EXPECT_EQ(ApplicationIndex::dataDirectories("", "", "/home/u"),
            (V{"/home/u/.local/share", "/usr/local/share", "/usr/share"}));
  EXPECT_EQ(ApplicationIndex::dataDirectories("/d/home", "/a:relative::/b", "/home/u"),
            (V{"/d/home", "/a", "/b"}));
  EXPECT_EQ(ApplicationIndex::dataDirectories("relative", "/a", nullptr), (V{"/a"}));
}

// Two data directories as a user's and the system's: ids from sub-folders, the user's copy
// winning, a user's Hidden copy deleting the system's, and entries that are not applications.
TEST(ApplicationIndex, EarlierDirectoriesWinHiddenDeletesAndWindowClassesFindTheirEntries) {
  std::string error;
  const auto folders = testing::DesktopSession::create({}, &error);
  ASSERT_NE(folders, nullptr) << error;
  const std::string user = (folders->folder() / "user").string();
  const std::string system = (folders->folder() / "system").string();
  const std::pair<std::string, std::string> files[] = {
      {"user/org.mozilla.firefox.desktop", application("Name=Firefox (mine)")},
      {"user/org.gnome.Maps.desktop", "[Desktop Entry]\nHidden=true\n"},
      {"user/notes.txt", "not a desktop file"},
      {"system/org.mozilla.firefox.desktop", application("Name=Firefox\nStartupWMClass=firefox")},
      {"system/org.gnome.Maps.desktop", application("Name=Maps")},
      {"system/kde/org.kde.dolphin.desktop", application("Name=Dolphin")},
      {"system/site.desktop", "[Desktop Entry]\nType=Link\nName=Site\n"},
      {"system/org.gnome.TextEditor.desktop",
       application("Name=Text Editor\nStartupWMClass=gnome-text-editor")},
      {"system/editor-helper.desktop",
       application("Name=Helper\nStartupWMClass=Editor\nNoDisplay=true")},
      {"system/zz-editor.desktop", application("Name=Editor\nStartupWMClass=Editor")},
      {"system/Gimp.desktop", application("Name=GIMP")},
  };
  for (const auto& [file, text] : files) {
    const auto slash = file.find('/');
    folders->write(file.substr(0, slash) + "/applications" + file.substr(slash), text);
  }

  const auto index = ApplicationIndex::scan({user, system, "/none"});
  EXPECT_EQ(index.size(), 6U);
  EXPECT_EQ(index.displayName("org.mozilla.firefox"), "Firefox (mine)");
  // The user's copy wins whole: the system copy's StartupWMClass is not merged in.
  EXPECT_EQ(index.find("org.mozilla.firefox")->startupWMClass, "");
  EXPECT_EQ(index.find("org.gnome.Maps"), nullptr);
  EXPECT_EQ(index.displayName("kde-org.kde.dolphin"), "Dolphin");
  EXPECT_EQ(index.find("site"), nullptr);
  EXPECT_EQ(index.displayName("unknown"), std::nullopt);

  // The settings window's catalogue: the same winners, less the entries menus do not show.
  std::vector<std::string> offered;
  for (const auto& application : XdgApplicationCatalog({user, system}).installedApplications()) {
    offered.push_back(application.id + "=" + application.name);
  }
  EXPECT_EQ(offered,
            (std::vector<std::string>{"Gimp=GIMP", "kde-org.kde.dolphin=Dolphin",
                                      "org.gnome.TextEditor=Text Editor",
                                      "org.mozilla.firefox=Firefox (mine)", "zz-editor=Editor"}));

  // StartupWMClass before the file name, the class before the instance.
  EXPECT_EQ(index.idForWindowClass("Gimp", "gnome-text-editor"), "org.gnome.TextEditor");
  EXPECT_EQ(index.idForWindowClass("gimp-2.10", "gimp"), "Gimp");
  EXPECT_EQ(index.idForWindowClass("GIMP", "unknown"), "Gimp");
  // A menu entry beats a NoDisplay helper with the same StartupWMClass, whatever their order.
  EXPECT_EQ(index.idForWindowClass("gnome-text-editor", "EDITOR"), "zz-editor");
  EXPECT_EQ(index.idForWindowClass("", ""), std::nullopt);
  EXPECT_EQ(index.idForWindowClass("xterm", "XTerm"), std::nullopt);
}

}  // namespace
}  // namespace tactora::lx
