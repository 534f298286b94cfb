// The X11 desktop against a real X server (Xvfb) and window manager (openbox): the front
// application, the window manager's requests, the pointer and modifiers, a server that is gone,
// and `tactora --play` on it.
#include <gtest/gtest.h>

// Qt before Xlib too.
#include "tests/support/desktop/PlayDesktop.h"

// After GoogleTest, whose headers Xlib's None and Bool macros would break.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <utility>

#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/desktop/XdgApplicationCatalog.h"
#include "Platform/linux/x11/EwmhWindowManager.h"
#include "Platform/linux/x11/X11FrontApplication.h"
#include "Platform/linux/x11/X11PointerState.h"
#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/XClient.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::lx {
namespace {

using testing::DesktopSession;
using testing::eventually;
using testing::XClient;
using testing::XServer;
namespace flags = platform::eventFlags;

// One session and server with openbox for every case; each case opens its own connections.
class X11Session : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string error;
    session = DesktopSession::create({}, &error);
    ASSERT_NE(session, nullptr) << error;
    server = XServer::start(*session);
  }
  void TearDown() override {
    server.reset();
    session.reset();
  }
  static inline std::unique_ptr<DesktopSession> session;
  static inline std::unique_ptr<XServer> server;
};
[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new X11Session);

class X11Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(server, nullptr) << "the X server did not start";
    client = XClient::connect(server->display());
    connection = X11Connection::open(server->display());
    ASSERT_TRUE(client && connection);
  }

  // Moves every key with `keysym` from the modifier `from` to the modifier `to`, as a keymap with
  // Super or Alt elsewhere has it.
  void moveKeys(KeySym keysym, int from, int to) {
    Display* display = client->display();
    XModifierKeymap* map = XGetModifierMapping(display);
    for (int i = 0; i < map->max_keypermod; ++i) {
      const KeyCode code = map->modifiermap[from * map->max_keypermod + i];
      if (code != 0 && XkbKeycodeToKeysym(display, code, 0, 0) == keysym) {
        map = XDeleteModifiermapEntry(map, code, from);
        map = XInsertModifiermapEntry(map, code, to);
      }
    }
    ASSERT_EQ(XSetModifierMapping(display, map), MappingSuccess);
    XFreeModifiermap(map);
    XSync(display, False);
  }

  DesktopSession* const session = X11Session::session.get();
  XServer* const server = X11Session::server.get();
  std::unique_ptr<XClient> client;
  std::shared_ptr<X11Connection> connection;
};

TEST_F(X11Desktop, FrontApplicationIsNamedByApplicationIdThenWindowClass) {
  session->write("data/applications/org.gnome.TextEditor.desktop",
                 "[Desktop Entry]\nType=Application\nName=Text Editor\n"
                 "StartupWMClass=gnome-text-editor\n");
  session->write("data/applications/org.example.Viewer.desktop",
                 "[Desktop Entry]\nType=Application\nName=Viewer\n");
  auto index = std::make_shared<const ApplicationIndex>(
      ApplicationIndex::scan({(session->folder() / "data").string()}));
  X11FrontApplication front(connection, index);
  // WM_CLASS (instance, class), the GTK application id, and the application named.
  using Row =
      std::tuple<std::string, std::string, std::optional<std::string>, std::optional<std::string>>;
  for (const auto& [instance, windowClass, gtkId, expected] : {
           // The GTK application id wins over a WM_CLASS that names another application.
           Row{"gnome-text-editor", "Gnome-text-editor", "org.example.Gtk", "org.example.Gtk"},
           Row{"gnome-text-editor", "Gnome-text-editor", std::nullopt, "org.gnome.TextEditor"},
           Row{"viewer", "ORG.EXAMPLE.VIEWER", std::nullopt, "org.example.Viewer"},
           Row{"xterm", "XTerm", std::nullopt, std::nullopt},
       }) {
    // One window at a time, active before the next is mapped: the window manager focuses a new
    // window when it gets to it, which could take the activation from an earlier one.
    ASSERT_TRUE(client->activate(client->createWindow(instance, windowClass, gtkId)));
    EXPECT_EQ(front.activeApplicationId(), expected) << instance;
  }
}

// The window manager may keep naming a window that was destroyed. Its requests fail with
// BadWindow, which Xlib's default handler answers by ending the process.
TEST_F(X11Desktop, StaleActiveWindowIsNoApplicationAndNothingToClose) {
  const Window gone = client->createWindow("gone", "Gone", "org.example.Gone");
  XDestroyWindow(client->display(), gone);
  XSync(client->display(), False);
  XChangeProperty(client->display(), client->root(), client->atom("_NET_ACTIVE_WINDOW"), XA_WINDOW,
                  32, PropModeReplace, reinterpret_cast<const unsigned char*>(&gone), 1);
  XSync(client->display(), False);

  X11FrontApplication front(connection, std::make_shared<const ApplicationIndex>());
  EXPECT_EQ(front.activeApplicationId(), std::nullopt);
  EXPECT_FALSE(EwmhWindowManager(connection).closeActiveWindow());
  // The connection goes on working after the errors.
  EXPECT_FALSE(connection->broken());
  EXPECT_TRUE(X11PointerState(connection).pointerLocation());
}

TEST_F(X11Desktop, ShowDesktopTogglesAndThePointerIsWhereItWasWarpedWithNoModifiersHeld) {
  XWarpPointer(client->display(), None, client->root(), 0, 0, 0, 0, 321, 123);
  XSync(client->display(), False);
  const auto pointer = X11PointerState::functions(connection);
  ASSERT_TRUE(pointer.pointerLocation && pointer.modifierFlags);
  EXPECT_EQ(pointer.pointerLocation(), (platform::Point{321, 123}));
  EXPECT_EQ(pointer.modifierFlags(), 0U);

  const auto functions = EwmhWindowManager::functions(connection);
  ASSERT_TRUE(functions.toggleShowingDesktop);
  const auto showing = [&] { return client->rootCardinal("_NET_SHOWING_DESKTOP").value_or(0); };
  const long before = showing();
  for (const long expected : {1 - before, before}) {
    EXPECT_TRUE(functions.toggleShowingDesktop());
    EXPECT_TRUE(eventually([&] { return showing() == expected; }));
  }
}

// `tactora --play` on this desktop: the recorded gestures act through the profile of the focused
// application; the overlay is an override-redirect window that takes no focus; and the program
// refuses what it cannot play.
constexpr const char* probeId = "org.example.Probe";

class PlayX11 : public ::testing::Test {
 protected:
  // One X server, window manager and installed program for every case.
  static void SetUpTestSuite() {
    ASSERT_NE(X11Session::server, nullptr) << "the X server did not start";
    session_ = X11Session::session.get();
    program_ = testing::TactoraProgram::install(*session_);
    ASSERT_NE(program_, nullptr);
    scenario_ = std::make_unique<testing::PlayScenario>(*session_, *program_);
    scenario_->installApplication(probeId, "ProbeTerm");
    scenario_->writeConfiguration(probeId, R"({"tap": {"fingers": 3}})");
    ASSERT_TRUE(openWindow("probe", "ProbeTerm"));
    ASSERT_TRUE(openWindow("victim", "VictimTerm"));
  }
  static void TearDownTestSuite() {
    scenario_.reset();
    program_.reset();
  }
  // Whether `wmctrl -l` lists a window of this title (each line ends with the title).
  static bool hasWindow(const std::string& title) {
    return session_->run({"wmctrl", "-l"}).output.find(" " + title + "\n") != std::string::npos;
  }
  static bool openWindow(const std::string& title, const std::string& windowClass) {
    session_->start(title, {"xterm", "-class", windowClass, "-title", title});
    return eventually([&] { return hasWindow(title); });
  }
  // Whether `wmctrl -d` marks this workspace as the current one ("1  * DG: ...").
  static bool isCurrentWorkspace(int number) {
    const std::string listed = "\n" + session_->run({"wmctrl", "-d"}).output;
    return listed.find("\n" + std::to_string(number) + "  * ") != std::string::npos;
  }

  static inline DesktopSession* session_ = nullptr;
  static inline std::unique_ptr<testing::TactoraProgram> program_;
  static inline std::unique_ptr<testing::PlayScenario> scenario_;
};

// Each recording acts on this desktop: the focused application's own binding runs its command, a
// swipe switches the workspace, and a three-finger tap (the default binding) closes exactly the
// focused window. Every run ends with status 0 on SIGTERM.
TEST_F(PlayX11, RecordedGesturesActOnThisDesktop) {
  // The recording, the window kept focused (none when it does not matter), and when it is done.
  const std::tuple<std::string, std::string, std::function<bool()>> rows[] = {
      {"three-finger-tap", "probe", [] { return std::filesystem::exists(scenario_->marker()); }},
      {"two-finger-swipe-right", "", [] { return isCurrentWorkspace(1); }},
      {"three-finger-tap", "victim", [] { return !hasWindow("victim"); }},
  };
  ASSERT_TRUE(isCurrentWorkspace(0));
  for (const auto& [recording, focused, done] : rows) {
    SCOPED_TRACE(recording + " on " + focused);
    EXPECT_TRUE(scenario_->play(recording, done,
                                focused.empty() ? nullptr : scenario_->focusXWindow(focused)))
        << scenario_->log();
    EXPECT_EQ(scenario_->quit(), 0) << scenario_->log();
  }
  EXPECT_TRUE(hasWindow("probe"));
}

// What cannot be played is said in one line before anything starts; a second instance refuses
// to run beside the first (both would act on every gesture) and leaves it running.
TEST_F(PlayX11, RefusesWhatItCannotPlay) {
  const std::string missing = (session_->folder() / "missing.evemu").string();
  const std::string malformed = session_->write("malformed.evemu", "N: mouse\nE: soon\n").string();
  const std::string good = scenario_->recording("one-finger-tap").string();
  // The recording, whether another instance runs, the exit status and the output after "tactora: ".
  const std::tuple<std::string, bool, int, std::string> rows[] = {
      {missing, false, 2, missing + ": cannot open: No such file or directory"},
      {malformed, false, 2, malformed + ":2: "},
      {good, true, 1, "Tactora is already running in this session"},
  };
  for (const auto& [recording, besideAnother, status, output] : rows) {
    SCOPED_TRACE(output);
    if (besideAnother) {
      ASSERT_TRUE(scenario_->play("one-finger-tap", [] {
        return scenario_->log().find("in the mouse's place") != std::string::npos;
      }));
    }
    const testing::ProcessResult result = program_->run({"--play", recording});
    EXPECT_EQ(result.status, status);
    EXPECT_TRUE(result.output.starts_with("tactora: " + output)) << result.output;
    EXPECT_EQ(std::ranges::count(result.output, '\n'), 1) << result.output;
    if (besideAnother) {
      EXPECT_TRUE(scenario_->running()->isRunning());
      EXPECT_EQ(scenario_->quit(), 0);
    }
  }
}

// The overlay is the window titled "Tactora gesture", seen with xwininfo; the focus and the
// managed windows are the root window's _NET_ACTIVE_WINDOW and _NET_CLIENT_LIST.
TEST_F(PlayX11, OverlayIsAnOverrideRedirectPanelThatTakesNoFocusAndIsNotListed) {
  testing::DesktopView view;
  view.focusProbe = scenario_->focusXWindow("probe");
  view.overlay = []() -> std::optional<QRect> {
    const std::string info = session_->run({"xwininfo", "-name", "Tactora gesture"}).output;
    std::smatch match;
    const std::regex geometry(
        R"(Absolute upper-left X:\s+(-?\d+)[\s\S]*Absolute upper-left Y:\s+(-?\d+)[\s\S]*)"
        R"(Width:\s+(\d+)[\s\S]*Height:\s+(\d+)[\s\S]*Map State: IsViewable)");
    if (!std::regex_search(info, match, geometry)) {
      return std::nullopt;
    }
    return QRect(std::stoi(match[1]), std::stoi(match[2]), std::stoi(match[3]),
                 std::stoi(match[4]));
  };
  view.state = [] {
    return session_->run({"xprop", "-root", "_NET_ACTIVE_WINDOW", "_NET_CLIENT_LIST"}).output;
  };
  testing::expectOverlayLeavesTheDesktopAlone(*scenario_, view);
}

// The keys on each modifier say what it stands for: Command is Ctrl, Option is Alt wherever the
// keymap puts it, Control is Super. Caps Lock, Num Lock, AltGr and the buttons are no modifiers.
TEST(X11ModifierTable, KeysOnEachModifierSayWhatItStandsFor) {
  for (const auto& [mask, flag] : {std::pair{ControlMask, flags::maskCommand},
                                   {Mod1Mask, flags::maskAlternate},
                                   {Mod4Mask, flags::maskControl},
                                   {ShiftMask, flags::maskShift},
                                   {LockMask | Mod2Mask | Mod3Mask | Mod5Mask | Button1Mask, 0U}}) {
    EXPECT_EQ(X11PointerState::flagsForModifierMask(mask), flag) << mask;
  }
  std::array<std::vector<unsigned long>, 8> keysyms;
  keysyms[ShiftMapIndex] = {XK_Shift_L, XK_Shift_R};
  keysyms[LockMapIndex] = {XK_Caps_Lock};
  keysyms[ControlMapIndex] = {XK_Control_L};
  keysyms[Mod2MapIndex] = {XK_Num_Lock};
  keysyms[Mod3MapIndex] = {XK_Super_L, XK_Super_R};  // Super moved off Mod4
  keysyms[Mod4MapIndex] = {XK_Meta_L};               // and Meta put there
  keysyms[Mod5MapIndex] = {XK_ISO_Level3_Shift};
  const auto table = X11PointerState::modifierTableFromKeysyms(keysyms);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(Mod3Mask, table), flags::maskControl);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(Mod4Mask, table), flags::maskAlternate);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(Mod1Mask, table), 0u) << "nothing on Mod1";
  EXPECT_EQ(X11PointerState::flagsForModifierMask(
                ShiftMask | ControlMask | LockMask | Mod2Mask | Mod5Mask | Button1Mask, table),
            flags::maskShift | flags::maskCommand);
}

TEST_F(X11Desktop, TheServersModifierMappingIsReadAtStartAndAgainWhenItChanges) {
  X11PointerState state(connection);
  EXPECT_EQ(state.modifierTable(), X11PointerState::defaultModifierTable())
      << "the server's own keymap has Alt on Mod1 and Super on Mod4";
  const auto superIsControl = [&] {
    return X11PointerState::flagsForModifierMask(Mod3Mask, state.modifierTable()) ==
           flags::maskControl;
  };
  moveKeys(XK_Super_L, Mod4MapIndex, Mod3MapIndex);
  moveKeys(XK_Alt_L, Mod1MapIndex, Mod5MapIndex);
  EXPECT_TRUE(eventually(superIsControl)) << "the new mapping was not read";
  EXPECT_EQ(
      X11PointerState::flagsForModifierMask(Mod5Mask, state.modifierTable()) & flags::maskAlternate,
      flags::maskAlternate);
  moveKeys(XK_Super_L, Mod3MapIndex, Mod4MapIndex);
  moveKeys(XK_Alt_L, Mod5MapIndex, Mod1MapIndex);
  EXPECT_TRUE(eventually([&] { return !superIsControl(); }));
}

// A logout or a crashed server must not take the process with it: Xlib's default ends it. Without
// a server at all, every X11 function is missing.
TEST_F(X11Desktop, AServerThatGoesAwayLeavesTheProcessRunning) {
  EXPECT_EQ(X11Connection::open(":65000"), nullptr);
  EXPECT_FALSE(X11PointerState::functions(nullptr).pointerLocation);
  EXPECT_FALSE(EwmhWindowManager::functions(nullptr).closeActiveWindow);
  EXPECT_FALSE(EwmhWindowManager::functions(nullptr).switchWorkspace);

  const auto doomed = XServer::start(*session, XServer::WindowManager::none);
  session->set("DISPLAY", server->display());  // the session's programs stay on the first
  ASSERT_NE(doomed, nullptr);
  auto alone = X11Connection::open(doomed->display());
  ASSERT_NE(alone, nullptr);
  X11PointerState pointer(alone);
  ASSERT_TRUE(pointer.pointerLocation());
  doomed->process().stop();
  EXPECT_EQ(pointer.pointerLocation(), std::nullopt);
  EXPECT_TRUE(alone->broken());
  EXPECT_EQ(pointer.modifierFlags(), 0U);
  EXPECT_FALSE(EwmhWindowManager(alone).toggleShowingDesktop());
  EXPECT_EQ(
      X11FrontApplication(alone, std::make_shared<const ApplicationIndex>()).activeApplicationId(),
      std::nullopt);
}

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
  // id, name, icon, class, NoDisplay, Hidden, autostart off
  EXPECT_EQ(entry, (DesktopEntry{"", "Text Editor\\1", "org.gnome.TextEditor", "gnome-text-editor",
                                 true, false, false}));
  for (const char* notAnApplication : {"[Desktop Entry]\nType=Link\nName=Site\n",
                                       "[Desktop Action x]\nType=Application\nName=Wrong\n",
                                       "Type=Application\nName=No group\n"}) {
    EXPECT_EQ(DesktopEntry::parse(notAnApplication), std::nullopt) << notAnApplication;
  }
  // A user's deletion marker needs no Type.
  EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]\nHidden=true\n"),
            (DesktopEntry{"", "", "", "", false, true, false}));
}

TEST(ApplicationIndex, DataDirectoriesFollowTheBaseDirectoryDefaults) {
  using V = std::vector<std::string>;
  const V defaults{"/home/u/.local/share", "/usr/local/share", "/usr/share"};
  EXPECT_EQ(ApplicationIndex::dataDirectories(nullptr, nullptr, "/home/u"), defaults);
  EXPECT_EQ(ApplicationIndex::dataDirectories("", "", "/home/u"), defaults);
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
