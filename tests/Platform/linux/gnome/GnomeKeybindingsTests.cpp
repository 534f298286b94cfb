// GNOME's key bindings through GSettings, with the installed desktop schemas and the keyfile
// backend writing into a temporary configuration folder.

#include "Platform/linux/gnome/GnomeKeybindings.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Platform/HotKeyValue.h"
#include "Platform/Log.h"
#include "Platform/linux/gnome/GnomeDesktop.h"
#include "Platform/linux/x11/TemporaryDirectory.h"
#include "support/CapturingLogSink.h"

namespace tactora::lx {
namespace {

using namespace platform::hotKeyModifier;

std::optional<KeyBinding> key(std::uint16_t keyCode, std::uint32_t modifiers) {
  return KeyBinding{keyCode, modifiers};
}

// GIO reads its backend and the configuration folder once per process, so they are set before
// any test runs. Criticals and warnings end the test: misuse of GSettings shows as a failure.
class KeyfileSettings : public ::testing::Environment {
 public:
  void SetUp() override {
    ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
    ::setenv("XDG_CONFIG_HOME", configHome_.path().c_str(), 1);
    ::unsetenv("GSETTINGS_SCHEMA_DIR");
    g_log_set_always_fatal(
        static_cast<GLogLevelFlags>(G_LOG_FATAL_MASK | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING));
  }

 private:
  test::TemporaryDirectory configHome_;
};
[[maybe_unused]] ::testing::Environment* const keyfileSettings =
    ::testing::AddGlobalTestEnvironment(new KeyfileSettings);

class GnomeKeybindingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GnomeKeybindings().hasKey(GnomeKeybindings::windowManagerSchema, "close")) {
      GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
    }
    settings_ = g_settings_new(GnomeKeybindings::windowManagerSchema);
  }
  void TearDown() override {
    if (settings_ != nullptr) {
      for (const char* key :
           {"switch-to-workspace-left", "switch-to-workspace-right", "show-desktop", "close"}) {
        g_settings_reset(settings_, key);
      }
      g_object_unref(settings_);
    }
  }

  void store(const char* key, std::vector<const char*> list) {
    list.push_back(nullptr);
    ASSERT_TRUE(g_settings_set_strv(settings_, key, list.data()));
    g_settings_sync();
  }

  GSettings* settings_ = nullptr;
  GnomeKeybindings keybindings_;
};

TEST_F(GnomeKeybindingsTest, UntouchedBindingsAreGnomesDefaults) {
  EXPECT_EQ(keybindings_.workspaceBinding(WorkspaceDirection::left), key(116, control));
  EXPECT_EQ(keybindings_.workspaceBinding(WorkspaceDirection::right), key(121, control));
  EXPECT_EQ(keybindings_.closeWindowBinding(), key(118, option));
  EXPECT_EQ(keybindings_.showDesktopBinding(), std::nullopt) << "unbound by default";
}

TEST_F(GnomeKeybindingsTest, TheUsersBindingIsReadAgainEachTime) {
  store("switch-to-workspace-left", {"<Control><Alt>Left"});
  store("switch-to-workspace-right", {"<Shift><Super>End", "<Super>Page_Down"});
  store("show-desktop", {"<Super>d"});
  EXPECT_EQ(keybindings_.workspaceBinding(WorkspaceDirection::left), key(123, command | option));
  EXPECT_EQ(keybindings_.workspaceBinding(WorkspaceDirection::right), key(119, shift | control))
      << "the first entry is the one used";
  EXPECT_EQ(keybindings_.showDesktopBinding(), key(2, control));

  store("switch-to-workspace-left", {"<Super>bracketleft"});
  EXPECT_EQ(keybindings_.workspaceBinding(WorkspaceDirection::left), key(33, control));
}

TEST_F(GnomeKeybindingsTest, UnboundOrUnreadableEntriesGiveNoBinding) {
  for (const auto& accelerators : std::vector<std::vector<const char*>>{
           {}, {""}, {"disabled"}, {"<Super>NoSuchKey"}, {"disabled", ""}}) {
    store("switch-to-workspace-left", accelerators);
    EXPECT_EQ(keybindings_.workspaceBinding(WorkspaceDirection::left), std::nullopt);
  }
  // The window manager honours every entry, so a later one that can be replayed is taken.
  store("switch-to-workspace-left", {"disabled", "<Super>NoSuchKey", "<Super>Home"});
  EXPECT_EQ(keybindings_.workspaceBinding(WorkspaceDirection::left), key(115, control));
}

TEST_F(GnomeKeybindingsTest, MissingSchemasAndKeysReadAsUnboundWithoutEndingTheProcess) {
  struct Lookup {
    const char* schema;
    const char* key;
  };
  const Lookup lookups[] = {
      {"org.example.NoSuchSchema", "close"},
      {GnomeKeybindings::windowManagerSchema, "no-such-key"},
      {"org.gnome.desktop.app-folders.folder", "name"},        // relocatable: no path of its own
      {"org.gnome.desktop.wm.preferences", "num-workspaces"},  // an integer, no accelerators
  };
  for (const Lookup& lookup : lookups) {
    EXPECT_FALSE(keybindings_.hasKey(lookup.schema, lookup.key)) << lookup.key;
    EXPECT_TRUE(keybindings_.accelerators(lookup.schema, lookup.key).empty()) << lookup.key;
    EXPECT_EQ(keybindings_.binding(lookup.schema, lookup.key), std::nullopt) << lookup.key;
  }
}

TEST(GnomeKeybindings, AFolderWithoutCompiledSchemasHasNoBindingsAndSaysWhere) {
  auto log = std::make_shared<platform::CapturingLogSink>();
  const auto previous = platform::Log::setSink(log);
  const test::TemporaryDirectory empty;
  const auto keybindings = std::make_shared<const GnomeKeybindings>(empty.path());
  platform::Log::setSink(previous);

  EXPECT_EQ(keybindings->workspaceBinding(WorkspaceDirection::left), std::nullopt);
  const auto messages = log->messages("GnomeKeybindings");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(empty.path().string()), std::string::npos) << messages[0];
  EXPECT_FALSE(
      GnomeDesktop::functions(std::make_shared<SessionBus>(), keybindings).workspaceBinding)
      << "no schema, no workspace function";
}

}  // namespace
}  // namespace tactora::lx
