// The X11 desktop against a real X server (Xvfb) and window manager (openbox): the front
// application, the window manager's requests, the pointer and a server that is gone.
#include <gtest/gtest.h>

// After GoogleTest, whose headers Xlib's None and Bool macros would break.
#include <X11/Xatom.h>

#include <cstdlib>

#include "Platform/linux/x11/EwmhWindowManager.h"
#include "Platform/linux/x11/X11FrontApplication.h"
#include "Platform/linux/x11/X11PointerState.h"
#include "tests/Platform/linux/x11/TemporaryDirectory.h"
#include "tests/Platform/linux/x11/TestClient.h"
#include "tests/Platform/linux/x11/XvfbSession.h"

namespace tactora::lx {
namespace {

using test::eventually;
using test::TestClient;
using test::XvfbSession;
namespace flags = platform::eventFlags;

// One server and window manager for the suite; every test opens its own connections.
class X11Desktop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (XvfbSession::installed()) {
      session = XvfbSession::start().release();
    }
  }
  static void TearDownTestSuite() {
    delete session;
    session = nullptr;
  }
  void SetUp() override {
    if (!XvfbSession::installed()) {
      GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs it)";
    }
    ASSERT_NE(session, nullptr);
    client = TestClient::connect(session->displayName());
    connection = X11Connection::open(session->displayName());
    ASSERT_NE(client, nullptr);
    ASSERT_NE(connection, nullptr);
  }

  static inline XvfbSession* session = nullptr;
  std::unique_ptr<TestClient> client;
  std::shared_ptr<X11Connection> connection;
};

TEST_F(X11Desktop, FrontApplicationIsNamedByApplicationIdThenWindowClass) {
  test::TemporaryDirectory data;
  data.write("applications/org.gnome.TextEditor.desktop",
             "[Desktop Entry]\nType=Application\nName=Text Editor\n"
             "StartupWMClass=gnome-text-editor\n");
  data.write("applications/org.example.Viewer.desktop",
             "[Desktop Entry]\nType=Application\nName=Viewer\n");
  auto index =
      std::make_shared<const ApplicationIndex>(ApplicationIndex::scan({data.path().string()}));
  X11FrontApplication front(connection, index);

  // The GTK application id wins over a WM_CLASS that names another application.
  ASSERT_TRUE(client->activate(
      client->createWindow("gnome-text-editor", "Gnome-text-editor", "org.example.Gtk")));
  EXPECT_EQ(front.activeApplicationId(), "org.example.Gtk");

  ASSERT_TRUE(client->activate(client->createWindow("gnome-text-editor", "Gnome-text-editor")));
  EXPECT_EQ(front.activeApplicationId(), "org.gnome.TextEditor");
  EXPECT_EQ(index->displayName("org.gnome.TextEditor"), "Text Editor");

  ASSERT_TRUE(client->activate(client->createWindow("viewer", "ORG.EXAMPLE.VIEWER")));
  EXPECT_EQ(front.activeApplicationId(), "org.example.Viewer");

  ASSERT_TRUE(client->activate(client->createWindow("xterm", "XTerm")));
  EXPECT_EQ(front.activeApplicationId(), std::nullopt);
}

// The window manager may keep naming a window that was destroyed. Its requests fail with
// BadWindow, which Xlib's default handler answers by ending the process.
TEST_F(X11Desktop, StaleActiveWindowIsNoApplicationAndNothingToClose) {
  const Window gone = client->createWindow("gone", "Gone", "org.example.Gone");
  XDestroyWindow(client->display(), gone);
  XSync(client->display(), False);
  const Window stale[] = {gone};
  XChangeProperty(client->display(), client->root(),
                  XInternAtom(client->display(), "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(stale), 1);
  XSync(client->display(), False);

  X11FrontApplication front(connection, std::make_shared<const ApplicationIndex>());
  EXPECT_EQ(front.activeApplicationId(), std::nullopt);
  EXPECT_FALSE(EwmhWindowManager(connection).closeActiveWindow());
  // The connection goes on working after the errors.
  EXPECT_FALSE(connection->broken());
  EXPECT_TRUE(X11PointerState(connection).pointerLocation());
}

TEST_F(X11Desktop, ClosingAsksTheClientToDeleteItsWindow) {
  const Window window = client->createWindow("editor", "Editor");
  ASSERT_TRUE(client->activate(window));
  const auto functions = EwmhWindowManager::functions(connection);
  ASSERT_TRUE(functions.closeActiveWindow);
  EXPECT_TRUE(functions.closeActiveWindow());
  EXPECT_TRUE(client->awaitDeleteWindow(window));
}

TEST_F(X11Desktop, ShowDesktopToggles) {
  const auto functions = EwmhWindowManager::functions(connection);
  ASSERT_TRUE(functions.toggleShowingDesktop);
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
  ASSERT_TRUE(functions.pointerLocation);
  ASSERT_TRUE(functions.modifierFlags);
  EXPECT_EQ(functions.pointerLocation(), (platform::Point{321, 123}));
  EXPECT_EQ(functions.modifierFlags(), 0U);
}

TEST(X11PointerState, ModifierMasksFollowTheDesktopConvention) {
  EXPECT_EQ(X11PointerState::flagsForModifierMask(ControlMask), flags::maskCommand);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(Mod1Mask), flags::maskAlternate);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(Mod4Mask), flags::maskControl);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(ShiftMask), flags::maskShift);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(ControlMask | ShiftMask | Mod1Mask | Mod4Mask),
            flags::maskCommand | flags::maskShift | flags::maskAlternate | flags::maskControl);
  // Caps Lock, Num Lock (Mod2), the other modifiers and the buttons are no modifiers here.
  EXPECT_EQ(X11PointerState::flagsForModifierMask(LockMask | Mod2Mask | Mod3Mask | Mod5Mask |
                                                  Button1Mask),
            0U);
}

TEST(X11Connection, WithoutAServerEverythingIsMissing) {
  const char* saved = std::getenv("DISPLAY");
  const std::string display = saved != nullptr ? saved : "";
  ::unsetenv("DISPLAY");
  const auto fromEnvironment = X11Connection::open();
  if (saved != nullptr) {
    ::setenv("DISPLAY", display.c_str(), 1);
  }
  EXPECT_EQ(fromEnvironment, nullptr);
  EXPECT_EQ(X11Connection::open(":65000"), nullptr);

  const auto pointer = X11PointerState::functions(nullptr);
  EXPECT_FALSE(pointer.pointerLocation);
  EXPECT_FALSE(pointer.modifierFlags);
  const auto manager = EwmhWindowManager::functions(nullptr);
  EXPECT_FALSE(manager.closeActiveWindow);
  EXPECT_FALSE(manager.switchWorkspace);
  EXPECT_FALSE(manager.toggleShowingDesktop);
}

// A logout or a crashed server must not take the process with it: Xlib's default ends it.
TEST(X11Connection, AServerThatGoesAwayLeavesTheProcessRunning) {
  if (!XvfbSession::installed()) {
    GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs it)";
  }
  auto session = XvfbSession::start(false);
  ASSERT_NE(session, nullptr);
  auto connection = X11Connection::open(session->displayName());
  ASSERT_NE(connection, nullptr);
  X11PointerState pointer(connection);
  ASSERT_TRUE(pointer.pointerLocation());

  session->stopServer();
  EXPECT_EQ(pointer.pointerLocation(), std::nullopt);
  EXPECT_TRUE(connection->broken());
  EXPECT_EQ(pointer.modifierFlags(), 0U);
  EXPECT_FALSE(EwmhWindowManager(connection).toggleShowingDesktop());
  EXPECT_EQ(X11FrontApplication(connection, std::make_shared<const ApplicationIndex>())
                .activeApplicationId(),
            std::nullopt);
  connection.reset();
}

}  // namespace
}  // namespace tactora::lx
