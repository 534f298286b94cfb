// The application's small services on the simulated platform: the low-battery warning, the
// permission monitor and the headless overlay the replay command uses.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "Platform/sim/SimPlatform.h"
#include "Tactora/BatteryMonitor.h"
#include "Tactora/HeadlessGestureOverlay.h"
#include "Tactora/PermissionMonitor.h"

namespace tactora {
namespace {

// The low-battery warning on the simulated platform: readings come from the platform's battery
// and are taken on the main queue, in virtual time; the warning given is remembered in the
// preferences across restarts of the application.
using State = platform::BatteryLevel::State;

// A script of readings, one word each: "9" is 9 % discharging, "9c" charging, "9n" plugged in and
// not charging, "9u" state unknown; "-" the mouse gone, "R" the application restarted. Returns
// the levels the warnings named, in order.
std::string warningsFor(const std::string& script) {
  auto sim = sim::SimPlatform::install();
  std::string warned;
  std::shared_ptr<BatteryMonitor> monitor;
  auto launch = [&] {
    monitor = BatteryMonitor::create(*sim);
    monitor->setNotify([&](const std::string& title, const std::string&) {
      EXPECT_TRUE(title.starts_with("Magic Mouse battery low: ") && title.ends_with(" %")) << title;
      warned += (warned.empty() ? "" : " ") + title.substr(25, title.size() - 27);
    });
    monitor->start();
  };
  launch();
  std::istringstream words(script);
  for (std::string word; words >> word;) {
    if (word == "R") {
      monitor.reset();
      launch();
    } else if (word == "-") {
      sim->battery().setLevel(std::nullopt);
    } else {
      const char state = word.back();
      sim->battery().setLevel(platform::BatteryLevel{std::stoi(word),
                                                     state == 'c'   ? State::charging
                                                     : state == 'n' ? State::notCharging
                                                     : state == 'u' ? State::unknown
                                                                    : State::discharging,
                                                     "sim"});
    }
    sim->timeline().runDue();
  }
  return warned;
}

TEST(BatteryMonitor, WarnsOncePerDischargeEvenAcrossRestarts) {
  const struct {
    const char* name;
    const char* script;
    const char* warnedAt;
  } cases[] = {
      {"crossing 10 % warns once", "12 10 9 3", "10"},
      {"hovering around 10 % warns once", "11 10 11 10 9", "10"},
      {"charging to 20 % does not re-arm", "9 15c 20c 8", "9"},
      {"charging above 20 % re-arms", "9 21c 9", "9 9"},
      {"low while not discharging is no warning", "5c 5n 5u", ""},
      {"the mouse leaving and coming back is the same discharge", "9 - 8", "9"},
      {"a restart in the same discharge says nothing", "9 R 7", "9"},
      {"a restart after charging warns again", "9 R 50 10", "9 10"},
      {"not warned before a restart: warned after it", "8c R 8", "8"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(warningsFor(c.script), c.warnedAt) << c.name;
  }
}

using Status = PermissionMonitor::Status;

// Only changes are reported; polling (one timer however often it is started) and becoming active
// notice a change, and a monitor that is gone ignores both. What each grant reads as, and the
// poll's start and stop, are the permissions window's cases.
TEST(PermissionMonitor, ReportsOnlyChangesFoundByPollingOrActivation) {
  auto sim = sim::SimPlatform::install();
  sim->permissions().setAccessibilityTrusted(false);
  auto monitor = PermissionMonitor::create(*sim);
  int changes = 0;
  monitor->setOnChange([&] { ++changes; });
  monitor->refresh();
  monitor->startPolling(1.0);
  monitor->startPolling(1.0);
  sim->permissions().setAccessibilityTrusted(true);
  sim->timeline().advanceBy(1.0);
  EXPECT_EQ(changes, 1);
  monitor->stopPolling();
  sim->permissions().setAccessibilityTrusted(false);
  sim->timeline().advanceBy(5.0);
  EXPECT_EQ(monitor->accessibility(), PermissionMonitor::Status::granted);
  sim->workspace().postDidBecomeActive();
  sim->timeline().runDue();
  EXPECT_EQ(monitor->accessibility(), PermissionMonitor::Status::denied);
  EXPECT_EQ(changes, 2);
  monitor->startPolling(1.0);
  monitor.reset();
  sim->workspace().postDidBecomeActive();
  sim->timeline().advanceBy(3.0);
}

// The headless overlay the replay command uses: its text, and that it goes by itself without
// leaving a timer behind. The fade's timing is the heads-up countdown the shell's overlay shares,
// checked in the shell's tests.
TEST(HeadlessGestureOverlay, ShowsTheGesturesTitlesAndGoes) {
  auto sim = sim::SimPlatform::install();
  HeadlessGestureOverlay overlay{*sim};
  overlay.show(GestureEvent::tap(3), Action(Action::Case::missionControl));
  EXPECT_EQ(overlay.text(), "3-Finger Tap  \u00b7  Mission Control");
  sim->timeline().advanceTo(3);
  EXPECT_FALSE(overlay.isVisible());
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt) << "nothing keeps ticking";
}

}  // namespace
}  // namespace tactora
