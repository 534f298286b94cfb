// The low-battery warning on the simulated platform: readings come from the platform's battery
// and are taken on the main queue, in virtual time; the warning given is remembered in the
// preferences across restarts of the application.

#include "Tactora/BatteryMonitor.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

using platform::BatteryLevel;
using State = BatteryLevel::State;

// One thing that happens to the battery or the application.
struct Step {
  enum class Kind { reading, gone, restart } kind;
  int percentage = 0;
  State state = State::discharging;
};
Step at(int percentage, State state = State::discharging) {
  return {Step::Kind::reading, percentage, state};
}
const Step gone{Step::Kind::gone};
const Step restart{Step::Kind::restart};

struct Case {
  const char* name;
  std::vector<Step> steps;
  std::vector<int> warnedAt;  // the levels the warnings named, in order
};

TEST(BatteryMonitor, WarnsOncePerDischargeEvenAcrossRestarts) {
  const Case cases[] = {
      {"crossing 10 % warns once", {at(12), at(10), at(9), at(3)}, {10}},
      {"hovering around 10 % warns once", {at(11), at(10), at(11), at(10), at(9)}, {10}},
      {"charging to 20 % does not re-arm",
       {at(9), at(15, State::charging), at(20, State::charging), at(8)},
       {9}},
      {"charging above 20 % re-arms", {at(9), at(21, State::charging), at(9)}, {9, 9}},
      {"low while not discharging is no warning",
       {at(5, State::charging), at(5, State::notCharging), at(5, State::unknown)},
       {}},
      {"the mouse leaving and coming back is the same discharge", {at(9), gone, at(8)}, {9}},
      {"a restart in the same discharge says nothing", {at(9), restart, at(7)}, {9}},
      {"a restart after charging warns again", {at(9), restart, at(50), at(10)}, {9, 10}},
      {"not yet warned before a restart: warned after it",
       {at(8, State::charging), restart, at(8)},
       {8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto sim = sim::SimPlatform::install();
    std::vector<std::string> titles;
    std::shared_ptr<BatteryMonitor> monitor;
    auto launch = [&] {
      monitor = BatteryMonitor::create(*sim);
      monitor->setNotify([&](const std::string& title, const std::string& body) {
        titles.push_back(title);
        EXPECT_EQ(body, BatteryMonitor::lowBatteryBody);
      });
      monitor->start();
    };
    launch();
    for (const Step& step : c.steps) {
      switch (step.kind) {
        case Step::Kind::reading:
          sim->battery().setLevel(BatteryLevel{step.percentage, step.state, "sim"});
          break;
        case Step::Kind::gone:
          sim->battery().setLevel(std::nullopt);
          break;
        case Step::Kind::restart:
          monitor.reset();
          EXPECT_FALSE(sim->battery().isStarted());
          launch();
          break;
      }
      sim->timeline().runDue();
    }
    std::vector<std::string> expected;
    for (int percentage : c.warnedAt) {
      expected.push_back("Magic Mouse battery low: " + std::to_string(percentage) + " %");
    }
    EXPECT_EQ(titles, expected);
  }
}

}  // namespace
}  // namespace tactora
