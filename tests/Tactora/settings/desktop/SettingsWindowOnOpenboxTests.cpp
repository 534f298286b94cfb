// The settings window on a real X server with a real window manager (Xvfb and openbox), through
// Qt's X11 platform: what the window manager offers for it, and "Settings…" bringing it back once
// it was minimised.

// Before Xlib, whose None and Bool macros would break them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "Tactora/config/ConfigStore.h"
#include "Tactora/settings/SettingsWindowController.h"
#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/XClient.h"
#include "tests/support/desktop/XServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tactora::settings {
namespace {

using testing::eventually;

// One X server with openbox, the application on it, and a client of the test's own, for every case.
class OpenboxDesktop : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string error;
    session_ = testing::DesktopSession::create({}, &error);
    ASSERT_NE(session_, nullptr) << error;
    server_ = testing::XServer::start(*session_);
    ASSERT_NE(server_, nullptr);
    session_->enter();
    qputenv("QT_QPA_PLATFORM", "xcb");
    application_ = std::make_unique<QApplication>(argc_, argv_);
    client = testing::XClient::connect(server_->display());
    ASSERT_NE(client, nullptr);
  }
  void TearDown() override {
    client.reset();
    application_.reset();
    server_.reset();
    session_.reset();
  }

  static inline std::unique_ptr<testing::XClient> client;

 private:
  int argc_ = 1;
  char name_[16] = "settings-tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<testing::DesktopSession> session_;
  std::unique_ptr<testing::XServer> server_;
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] auto* const desktop = ::testing::AddGlobalTestEnvironment(new OpenboxDesktop);

// A 32-bit property of `window` (atoms, cardinals, a window); empty when it is not set.
std::vector<long> property(Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(OpenboxDesktop::client->display(), window, OpenboxDesktop::client->atom(name),
                     0, 64, False, AnyPropertyType, &type, &format, &count, &after, &data);
  std::vector<long> values;
  if (data != nullptr && format == 32) {
    values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  }
  XFree(data);
  return values;
}

bool contains(const std::vector<long>& atoms, const char* name) {
  return std::ranges::count(atoms, static_cast<long>(OpenboxDesktop::client->atom(name))) > 0;
}

// Polls while the application handles its events, as its own loop would between the steps.
bool eventuallyWithEvents(const std::function<bool()>& condition) {
  return eventually([&] {
    QCoreApplication::processEvents();
    return condition();
  });
}

TEST(SettingsWindowOnOpenbox, OffersNoMinimiseOrMaximiseAndComesBackFromMinimised) {
  QTemporaryDir folder;
  ConfigStore store(std::filesystem::path(folder.path().toStdString()));
  SettingsContext context;
  context.configStore = &store;
  SettingsWindowController controller(context);
  controller.showSettings();
  const auto window = static_cast<Window>(controller.window()->winId());
  Display* x = OpenboxDesktop::client->display();
  auto active = [&] {
    return property(OpenboxDesktop::client->root(), "_NET_ACTIVE_WINDOW") ==
           std::vector<long>{long(window)};
  };

  // The window asks for a title and a close button only (Motif hints: no minimise or maximise
  // button or function, all of them not implied), and openbox, seeing its fixed size, offers
  // neither maximising nor resizing. (Openbox keeps minimising in its window menu whatever a window
  // asks, which is why "Settings…" must bring a minimised window back.)
  ASSERT_TRUE(eventuallyWithEvents([&] {
    return contains(property(window, "_NET_WM_ALLOWED_ACTIONS"), "_NET_WM_ACTION_CLOSE");
  }));
  const auto allowed = property(window, "_NET_WM_ALLOWED_ACTIONS");
  EXPECT_FALSE(contains(allowed, "_NET_WM_ACTION_MAXIMIZE_HORZ") ||
               contains(allowed, "_NET_WM_ACTION_MAXIMIZE_VERT") ||
               contains(allowed, "_NET_WM_ACTION_RESIZE"));
  // Motif hints: functions and decorations given (1, 2); of the functions (all 1, minimise 8,
  // maximise 16, close 32) close alone; of the decorations (all 1, title 8, minimise 32,
  // maximise 64) the title alone.
  const auto motif = property(window, "_MOTIF_WM_HINTS");
  ASSERT_GE(motif.size(), 3u);
  EXPECT_EQ(std::vector<long>({motif[0] & 3, motif[1] & 57, motif[2] & 105}),
            std::vector<long>({3, 32, 8}));

  // Minimised as a task bar does it (ICCCM WM_CHANGE_STATE), then "Settings…" once more.
  ASSERT_TRUE(eventuallyWithEvents(active));
  XIconifyWindow(x, window, DefaultScreen(x));
  XFlush(x);
  ASSERT_TRUE(eventuallyWithEvents([&] { return controller.window()->isMinimized(); }));
  ASSERT_EQ(property(window, "WM_STATE").at(0), IconicState);

  controller.showSettings();
  EXPECT_TRUE(eventuallyWithEvents([&] {
    const auto state = property(window, "WM_STATE");
    return !state.empty() && state[0] == NormalState && active();
  }));
  EXPECT_FALSE(controller.window()->isMinimized());
  EXPECT_FALSE(contains(property(window, "_NET_WM_STATE"), "_NET_WM_STATE_HIDDEN"));
}

}  // namespace
}  // namespace tactora::settings
