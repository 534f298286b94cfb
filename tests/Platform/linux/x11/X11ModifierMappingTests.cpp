// Which modifier flags the held X modifiers give, against a real X server (Xvfb) whose modifier
// mapping the test changes as a keymap with Super or Alt elsewhere would.
#include <gtest/gtest.h>

// After GoogleTest, whose headers Xlib's None and Bool macros would break.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "Platform/linux/x11/X11PointerState.h"
#include "tests/Platform/linux/x11/TestClient.h"
#include "tests/Platform/linux/x11/XvfbSession.h"

namespace tactora::lx {
namespace {

using test::eventually;
using test::TestClient;
using test::XvfbSession;
namespace flags = platform::eventFlags;

TEST(X11ModifierTable, KeysOnEachModifierSayWhatItStandsFor) {
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

class X11ModifierMapping : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (XvfbSession::installed()) {
      session = XvfbSession::start(false).release();
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

  // Moves every key with `keysym` from the modifier `from` to the modifier `to`.
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

  static inline XvfbSession* session = nullptr;
  std::unique_ptr<TestClient> client;
  std::shared_ptr<X11Connection> connection;
};

TEST_F(X11ModifierMapping, TheServersMappingIsReadAtStartAndAgainWhenItChanges) {
  X11PointerState state(connection);
  EXPECT_EQ(state.modifierTable(), X11PointerState::defaultModifierTable())
      << "the server's own keymap has Alt on Mod1 and Super on Mod4";

  moveKeys(XK_Super_L, Mod4MapIndex, Mod3MapIndex);
  moveKeys(XK_Alt_L, Mod1MapIndex, Mod5MapIndex);
  EXPECT_TRUE(eventually([&] {
    return X11PointerState::flagsForModifierMask(Mod3Mask, state.modifierTable()) ==
           flags::maskControl;
  })) << "the new mapping was not read";
  const auto table = state.modifierTable();
  EXPECT_EQ(X11PointerState::flagsForModifierMask(Mod5Mask, table) & flags::maskAlternate,
            flags::maskAlternate);
  EXPECT_EQ(X11PointerState::flagsForModifierMask(ControlMask | ShiftMask, table),
            flags::maskCommand | flags::maskShift);
  EXPECT_EQ(state.modifierFlags(), 0u) << "nothing is held";

  moveKeys(XK_Super_L, Mod3MapIndex, Mod4MapIndex);
  moveKeys(XK_Alt_L, Mod5MapIndex, Mod1MapIndex);
  EXPECT_TRUE(eventually([&] {
    return X11PointerState::flagsForModifierMask(Mod3Mask, state.modifierTable()) == 0u;
  }));
}

}  // namespace
}  // namespace tactora::lx
