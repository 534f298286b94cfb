// The low-battery warning on the simulated platform: readings come from the platform's battery
// and are taken on the main queue, in virtual time; the warning given is remembered in the
// preferences across restarts of the application.

#include "Tactora/BatteryMonitor.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

using State = platform::BatteryLevel::State;

// A script of readings, one word each: "9" is 9 % discharging, "9c" charging, "9n" plugged in and
// not charging, "9u" state unknown; "-" the mouse gone, "R" the application restarted. Returns
// the levels the warnings named.
std::string warningsFor(const std::string& script) {
  auto sim = sim::SimPlatform::install();
  std::string warned;
  std::shared_ptr<BatteryMonitor> monitor;
  auto launch = [&] {
    monitor = BatteryMonitor::create(*sim);
    monitor->setNotify([&](const std::string& title, const std::string& body) {
      warned += (warned.empty() ? "" : "; ") + title;
      EXPECT_EQ(body, BatteryMonitor::lowBatteryBody);
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
    std::string expected;
    std::istringstream levels(c.warnedAt);
    for (std::string level; levels >> level;) {
      expected += (expected.empty() ? "" : "; ") + ("Magic Mouse battery low: " + level + " %");
    }
    EXPECT_EQ(warningsFor(c.script), expected) << c.name;
  }
}

}  // namespace
}  // namespace tactora
