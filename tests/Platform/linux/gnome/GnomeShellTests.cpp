// GNOME Shell 43 for real: its overview, the key bindings GNOME stores in dconf, our extension
// (loaded as the package installs it), and `tactora doctor` on GNOME. One shell serves every case.

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Platform/HotKeyValue.h"
#include "Platform/linux/bus/BusConnection.h"
#include "Platform/linux/gnome/GnomeDesktop.h"
#include "Platform/linux/gnome/GnomeExtensionClient.h"
#include "Platform/linux/gnome/GnomeExtensionStatus.h"
#include "Platform/linux/gnome/GnomeShell.h"
#include "tests/support/desktop/GnomeShellSession.h"
#include "tests/support/desktop/PlayScenario.h"
#include "tests/support/desktop/TactoraProgram.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using testing::DesktopSession;
using testing::eventually;
using testing::expectContains;
using testing::GnomeShellSession;
using testing::PlayScenario;
using testing::TactoraProgram;

// One session, one shell and the program for every case; the test process is pointed at the
// session, so the code under test finds the shell's bus and dconf there.
class GnomeShellEnvironment : public ::testing::Environment {
 public:
  static inline std::unique_ptr<GnomeShellSession> shell;
  static inline std::unique_ptr<TactoraProgram> tactora;

  void SetUp() override {
    shell = GnomeShellSession::start({.extensions = {TACTORA_GNOME_EXTENSION_DIR},
                                      .applications = {"com.example.Probe", "com.example.Editor",
                                                       "com.example.Notes", "com.example.Victim"}});
    ASSERT_NE(shell, nullptr);
    tactora = TactoraProgram::install(shell->session());
    ASSERT_NE(tactora, nullptr);
    shell->session().enter();
    // This process (root) must not make dconf's files in the user's runtime folder: they would
    // be root's, and the user's programs would no longer see settings change. With no runtime
    // folder it can use, dconf here reads the settings afresh every time.
    ::setenv("XDG_RUNTIME_DIR", "/dev/null", 1);
    // dconf's bus connection here would end this process when the session's bus goes away.
    g_dbus_connection_set_exit_on_close(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr),
                                        FALSE);
  }
  void TearDown() override {
    tactora.reset();
    shell.reset();
  }
};
[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new GnomeShellEnvironment);

class GnomeShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(GnomeShellEnvironment::shell, nullptr) << "GNOME Shell did not start";
  }
  void TearDown() override { releaseApplicationName(); }

  // Takes the running application's bus name, as the running Tactora holds it: the extension
  // then answers this process.
  void ownApplicationName() {
    owner_ = BusConnection::connect();
    ASSERT_TRUE(owner_);
    ASSERT_GE(sd_bus_request_name(owner_->get(), GnomeExtensionClient::applicationBusName, 0), 0);
    // The shell learns of the new owner from the bus a moment later.
    ASSERT_TRUE(eventually([&] { return extension_.available(); }, 10s));
  }
  void releaseApplicationName() { owner_.reset(); }

  GnomeShellSession& shell() { return *GnomeShellEnvironment::shell; }
  DesktopSession& session() { return shell().session(); }
  bool overviewVisible() { return shell().evaluate("imports.ui.main.overview.visible") == true; }
  std::string doctor() { return GnomeShellEnvironment::tactora->run({"doctor"}).output; }
  int windowCount() {
    return shell().evaluate("global.get_window_actors().length").value_or(-1).get<int>();
  }

  std::shared_ptr<SessionBus> bus_ = std::make_shared<SessionBus>();
  GnomeExtensionClient extension_{bus_, 2s};
  std::optional<BusConnection> owner_;
};

TEST_F(GnomeShellTest, TheOverviewGesturesToggleTheRealOverview) {
  const DesktopFunctions functions = GnomeDesktop::functions();
  ASSERT_TRUE(functions.dockNotification);
  EXPECT_EQ(functions.dockNotificationSource, GnomeDesktop::overviewSource);
  ASSERT_FALSE(overviewVisible());
  EXPECT_TRUE(functions.dockNotification(dockNotification::missionControl));
  EXPECT_TRUE(eventually([&] { return overviewVisible(); }));
  EXPECT_TRUE(functions.dockNotification(dockNotification::appExpose));
  EXPECT_TRUE(eventually([&] { return !overviewVisible(); }));
  EXPECT_FALSE(functions.dockNotification(dockNotification::showDesktop)) << "GNOME has none";
  EXPECT_FALSE(overviewVisible());

  // Threads sharing the bus each get their own answer.
  const GnomeShell gnomeShell(bus_, 2s);
  std::atomic<int> wrong = 0;
  const auto ask = [&] {
    for (int i = 0; i < 10; ++i) {
      wrong += gnomeShell.overviewActive() != false;
    }
  };
  { std::jthread first(ask), second(ask), third(ask); }
  EXPECT_EQ(wrong, 0);
}

// What the user sets in GNOME's keyboard settings (dconf) is what the workspace gestures replay;
// an entry that cannot be replayed is passed over for the next.
TEST_F(GnomeShellTest, TheWorkspaceBindingsAreTheOnesTheUserSet) {
  using namespace platform::hotKeyModifier;
  struct Case {
    const char* stored;
    std::optional<KeyBinding> expected;
  };
  const Case cases[] = {
      {"['<Control><Alt>Left']", KeyBinding{123, command | option}},
      {"['<Shift><Super>End', '<Super>Page_Down']", KeyBinding{119, shift | control}},
      {"['disabled', '<Super>NoSuchKey', '<Super>Home']", KeyBinding{115, control}},
      {"['disabled', '']", std::nullopt},
      {"@as []", std::nullopt},
  };
  const DesktopFunctions functions = GnomeDesktop::functions();
  ASSERT_TRUE(functions.workspaceBinding);
  EXPECT_EQ(functions.workspaceSource, GnomeDesktop::workspaceSource);
  EXPECT_EQ(functions.workspaceBinding(WorkspaceDirection::left), (KeyBinding{116, control}))
      << "GNOME's default, Super+Page_Up";
  for (const Case& binding : cases) {
    const auto set = session().run({"gsettings", "set", GnomeKeybindings::windowManagerSchema,
                                    "switch-to-workspace-left", binding.stored});
    ASSERT_EQ(set.status, 0) << set.output;
    EXPECT_TRUE(eventually(
        [&] { return functions.workspaceBinding(WorkspaceDirection::left) == binding.expected; },
        5s))
        << binding.stored;
  }
  session().run(
      {"gsettings", "reset", GnomeKeybindings::windowManagerSchema, "switch-to-workspace-left"});

  // Asking GSettings for a schema or key that is not there ends the process: they read as
  // unbound instead, and without a schema there is no workspace function at all.
  const GnomeKeybindings keybindings;
  for (const auto& [schema, key] : {std::pair{"org.example.NoSuchSchema", "close"},
                                    {GnomeKeybindings::windowManagerSchema, "no-such-key"},
                                    {"org.gnome.desktop.app-folders.folder", "name"},
                                    {"org.gnome.desktop.wm.preferences", "num-workspaces"}}) {
    EXPECT_EQ(keybindings.binding(schema, key), std::nullopt) << schema << " " << key;
  }
  const auto noSchemas = std::make_shared<const GnomeKeybindings>(session().folder());
  EXPECT_FALSE(GnomeDesktop::functions(bus_, noSchemas).workspaceBinding);
}

// The overlay is an actor of the shell's own stage: no window, no focus, no clicks; placed 90 px
// above the bottom of the work area, centred, and gone by itself after 0.9 s and its fade.
TEST_F(GnomeShellTest, TheExtensionDrawsTheOverlayAndLetsItFade) {
  ownApplicationName();
  auto* window = shell().openWindow("Editor", "com.example.Editor");
  ASSERT_NE(window, nullptr);
  const int windows = windowCount();
  const std::string text = "3-Finger Tap  ·  Mission Control";
  const std::string find =
      "(() => { const a = imports.ui.main.layoutManager.uiGroup.get_children().find(c => c.text "
      "=== " +
      nlohmann::json(text).dump() +
      "); return a ? {visible: a.visible, opacity: a.opacity, x: a.x, y: a.y, width: a.width, "
      "height: a.height, reactive: a.reactive} : null; })()";

  const auto shown = std::chrono::steady_clock::now();
  ASSERT_TRUE(extension_.showOverlay(text));
  const auto overlay = shell().evaluate(find);
  ASSERT_TRUE(overlay && overlay->is_object()) << overlay.value_or(nullptr);
  EXPECT_EQ(overlay->at("visible"), true);
  EXPECT_EQ(overlay->at("reactive"), false);
  const double width = overlay->at("width");
  const double height = overlay->at("height");
  EXPECT_GT(width, 200) << "the whole text fits";
  EXPECT_NEAR(overlay->at("x").get<double>() + width / 2, 640, 1);
  EXPECT_NEAR(overlay->at("y").get<double>() + height, 800 - 90, 1);
  EXPECT_EQ(windowCount(), windows) << "no window of its own";
  EXPECT_EQ(shell().focusedWindow(), "com.example.Editor") << "the focus stays";

  EXPECT_TRUE(
      eventually([&] { return shell().evaluate(find).value_or(nullptr)["visible"] == false; }, 5s));
  // The fade lasts 0.25 s where the shell animates (a shell without animations skips it).
  EXPECT_GE(std::chrono::steady_clock::now() - shown, 900ms);
  window->stop();
}

// The extension loads, and only the running Tactora (and other processes of its program) is
// answered: told the focused application, and its window closed.
TEST_F(GnomeShellTest, TheExtensionServesTheRunningApplicationAndRefusesEveryOtherCaller) {
  const auto status = GnomeExtensionStatus::read(*bus_, 2s);
  EXPECT_EQ(status.state, GnomeExtensionStatus::State::running) << status.error;
  EXPECT_TRUE(status.shellVersion.starts_with("43.")) << status.shellVersion;
  auto* window = shell().openWindow("Notes", "com.example.Notes");
  ASSERT_NE(window, nullptr);
  const int windows = windowCount();

  // No Tactora runs: nothing is told or done, whoever asks.
  EXPECT_FALSE(extension_.available());
  EXPECT_EQ(extension_.focusedApplication(), std::nullopt);
  EXPECT_FALSE(extension_.closeFocusedWindow());
  EXPECT_FALSE(extension_.showOverlay("Close Window"));
  EXPECT_FALSE(GnomeDesktop::functions().frontApplication);

  // Tactora runs (this process holds its name): another program is still refused.
  ownApplicationName();
  EXPECT_TRUE(extension_.available());
  for (const char* method : {"FocusedApplication", "CloseFocusedWindow"}) {
    const auto called =
        testing::runProcess({"gdbus", "call", "--session", "--dest", GnomeExtensionClient::busName,
                             "--object-path", GnomeExtensionClient::objectPath, "--method",
                             std::string(GnomeExtensionClient::interfaceName) + "." + method},
                            {});
    EXPECT_NE(called.status, 0);
    expectContains(called.output,
                   {"AccessDenied: The Tactora extension answers only the running Tactora"});
  }
  // A tactora of another program file is refused too.
  expectContains(doctor(), {"GNOME Shell extension: tactora@vellumworks.com is running in GNOME "
                            "Shell 43.9; it answers only the program file of the running Tactora"});
  EXPECT_EQ(windowCount(), windows) << "no window was closed";

  const DesktopFunctions functions = GnomeDesktop::functions();
  ASSERT_TRUE(functions.frontApplication && functions.closeActiveWindow);
  EXPECT_EQ(functions.frontApplication(), "com.example.Notes");
  EXPECT_TRUE(functions.closeActiveWindow());
  EXPECT_TRUE(window->wait(10s).has_value()) << "the window's program ends with its window";
  EXPECT_TRUE(eventually([&] { return shell().focusedWindow().empty(); }));
  EXPECT_EQ(extension_.focusedApplication(), std::nullopt) << "no window has the focus";
  EXPECT_FALSE(extension_.closeFocusedWindow()) << "nothing closed, so the caller falls back";
}

TEST_F(GnomeShellTest, DoctorReadsTheExtensionsStateFromTheShell) {
  const auto enable = [&](bool on) {
    return shell().call({"org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
                         on ? "EnableExtension" : "DisableExtension", "s",
                         GnomeExtensionClient::uuid});
  };
  expectContains(doctor(),
                 {"Session: GNOME on Wayland",
                  "Focused application: not known to this program; the GNOME Shell extension (next "
                  "line) tells it\nGNOME Shell extension: tactora@vellumworks.com is running in "
                  "GNOME Shell 43.9; it answers only the running Tactora, which is not running now",
                  "Workspaces: GNOME key bindings switch-to-workspace-left/right",
                  "Overview and Show Desktop: GNOME Shell overview (OverviewActive)"});
  ASSERT_TRUE(enable(false));
  expectContains(
      doctor(), {"GNOME Shell extension: tactora@vellumworks.com is installed but not enabled: run "
                 "`gnome-extensions enable tactora@vellumworks.com`"});
  ASSERT_TRUE(enable(true));
  ownApplicationName();  // enabled again, it serves again
}

// End to end through `tactora --play`: the focused application's own profile runs its command
// (the extension told the running program which application has focus), `tactora doctor` beside
// it is answered, and the default three-finger tap closes exactly the focused window through the
// extension. Tactora draws its own windows off screen here, so they never take the focus.
TEST_F(GnomeShellTest, PlayedGesturesActOnGnome) {
  session().set("QT_QPA_PLATFORM", "offscreen");
  PlayScenario scenario(session(), *GnomeShellEnvironment::tactora);
  scenario.writeConfiguration("com.example.Probe", R"({"tap": {"fingers": 3}})");
  auto* probe = shell().openWindow("Probe", "com.example.Probe");
  auto* victim = shell().openWindow("Victim", "com.example.Victim");
  ASSERT_TRUE(probe != nullptr && victim != nullptr);
  const auto focus = [&](const char* appId) {
    return [&, appId] { return shell().focus(appId) && shell().focusedWindow() == appId; };
  };

  EXPECT_TRUE(scenario.play(
      "three-finger-tap", [&] { return std::filesystem::exists(scenario.marker()); },
      focus("com.example.Probe")))
      << scenario.log();
  // The gesture's overlay came through the extension: an actor of the shell's own stage.
  EXPECT_TRUE(eventually([&] {
    return shell().evaluate(
               "imports.ui.main.layoutManager.uiGroup.get_children().some(c => c.visible && "
               "String(c.text).startsWith('3-Finger Tap'))") == true;
  })) << scenario.log();
  expectContains(doctor(), {"Focused application: from GNOME Shell extension "
                            "tactora@vellumworks.com; now com.example.Probe (Probe)"});
  EXPECT_EQ(scenario.quit(), 0) << scenario.log();

  EXPECT_TRUE(scenario.play(
      "three-finger-tap", [&] { return !victim->isRunning(); }, focus("com.example.Victim")))
      << scenario.log();
  EXPECT_EQ(scenario.quit(), 0) << scenario.log();
  EXPECT_TRUE(probe->isRunning()) << "only the focused window was closed";
  probe->stop();
  session().unset("QT_QPA_PLATFORM");
}

// A shell that hangs (stopped here) holds a caller no longer than the timeout.
TEST_F(GnomeShellTest, AHungShellCostsNoMoreThanTheTimeout) {
  ownApplicationName();
  const GnomeExtensionClient extension(bus_, 100ms);
  const GnomeShell gnomeShell(bus_, 100ms);
  shell().process().signal(SIGSTOP);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(extension.focusedApplication(), std::nullopt);
  EXPECT_FALSE(gnomeShell.toggleOverview());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  shell().process().signal(SIGCONT);
  EXPECT_LT(elapsed, 2 * 100ms + 500ms);
  EXPECT_TRUE(eventually([&] { return gnomeShell.overviewActive() == false; }, 10s));
}

}  // namespace
}  // namespace tactora::lx
