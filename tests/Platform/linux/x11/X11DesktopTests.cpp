// The X11 desktop against a real X server (Xvfb) and window manager (openbox): the front
// application, the window manager's requests, the pointer and modifiers, and a server that is gone.
#include <gtest/gtest.h>

// After GoogleTest, whose headers Xlib's None and Bool macros would break.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "Platform/linux/x11/EwmhWindowManager.h"
#include "Platform/linux/x11/X11FrontApplication.h"
#include "Platform/linux/x11/X11PointerState.h"
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
class X11Desktop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    session = DesktopSession::create({}, &error).release();
    ASSERT_NE(session, nullptr) << error;
    server = XServer::start(*session).release();
  }
  static void TearDownTestSuite() {
    delete server;
    delete session;
  }
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

  static inline DesktopSession* session = nullptr;
  static inline XServer* server = nullptr;
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
  const std::pair<Window, std::optional<std::string>> cases[] = {
      // The GTK application id wins over a WM_CLASS that names another application.
      {client->createWindow("gnome-text-editor", "Gnome-text-editor", "org.example.Gtk"),
       "org.example.Gtk"},
      {client->createWindow("gnome-text-editor", "Gnome-text-editor"), "org.gnome.TextEditor"},
      {client->createWindow("viewer", "ORG.EXAMPLE.VIEWER"), "org.example.Viewer"},
      {client->createWindow("xterm", "XTerm"), std::nullopt},
  };
  for (const auto& [window, expected] : cases) {
    ASSERT_TRUE(client->activate(window));
    EXPECT_EQ(front.activeApplicationId(), expected);
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

TEST_F(X11Desktop, ClosingAsksTheClientAndShowDesktopToggles) {
  const Window window = client->createWindow("editor", "Editor");
  ASSERT_TRUE(client->activate(window));
  const auto functions = EwmhWindowManager::functions(connection);
  ASSERT_TRUE(functions.closeActiveWindow && functions.toggleShowingDesktop);
  EXPECT_TRUE(functions.closeActiveWindow());
  EXPECT_TRUE(client->awaitDeleteWindow(window));

  const auto showing = [&] { return client->rootCardinal("_NET_SHOWING_DESKTOP").value_or(0); };
  const long before = showing();
  EXPECT_TRUE(functions.toggleShowingDesktop());
  EXPECT_TRUE(eventually([&] { return showing() == 1 - before; }));
  EXPECT_TRUE(functions.toggleShowingDesktop());
  EXPECT_TRUE(eventually([&] { return showing() == before; }));
}

TEST_F(X11Desktop, PointerIsWhereItWasWarpedWithNoModifiersHeld) {
  XWarpPointer(client->display(), None, client->root(), 0, 0, 0, 0, 321, 123);
  XSync(client->display(), False);
  const auto functions = X11PointerState::functions(connection);
  ASSERT_TRUE(functions.pointerLocation && functions.modifierFlags);
  EXPECT_EQ(functions.pointerLocation(), (platform::Point{321, 123}));
  EXPECT_EQ(functions.modifierFlags(), 0U);
}

// The keys on each modifier say what it stands for: Command is Ctrl, Option is Alt wherever the
// keymap puts it, Control is Super. Caps Lock, Num Lock, AltGr and the buttons are no modifiers.
TEST(X11ModifierTable, KeysOnEachModifierSayWhatItStandsFor) {
  for (const auto& [mask, flag] : {std::pair{ControlMask, flags::maskCommand},
                                   {Mod1Mask, flags::maskAlternate},
                                   {Mod4Mask, flags::maskControl},
                                   {ShiftMask, flags::maskShift}}) {
    EXPECT_EQ(X11PointerState::flagsForModifierMask(mask), flag) << mask;
  }
  EXPECT_EQ(X11PointerState::flagsForModifierMask(ControlMask | ShiftMask | Mod1Mask | Mod4Mask),
            flags::maskCommand | flags::maskShift | flags::maskAlternate | flags::maskControl);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(LockMask | Mod2Mask | Mod3Mask | Mod5Mask |
                                                  Button1Mask),
            0U);
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

}  // namespace
}  // namespace tactora::lx
