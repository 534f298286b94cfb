#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ActionKit/SharedEventSource.h"
#include "Platform/sim/SimPlatform.h"

namespace tactora::testing {

// A posted event as one line: "keyDown 4 flags 0x100000", "leftMouseUp (103, 198) button 0
// click 1 delta (3, -2) marked", "scrollWheel vertical 0 horizontal 1 marked".
inline std::string describe(const platform::Event& event) {
  using F = platform::EventField;
  const auto field = [&event](F f) { return static_cast<long long>(event.integerValueField(f)); };
  const std::string type(platform::toString(event.type()));
  char text[256];
  switch (event.type()) {
    case platform::EventType::keyDown:
    case platform::EventType::keyUp:
    case platform::EventType::flagsChanged:
      std::snprintf(text, sizeof text, "%s %lld flags 0x%llx", type.c_str(),
                    field(F::keyboardEventKeycode), static_cast<unsigned long long>(event.flags()));
      break;
    case platform::EventType::scrollWheel:
      std::snprintf(text, sizeof text, "scrollWheel vertical %lld horizontal %lld",
                    field(F::scrollWheelEventPointDeltaAxis1),
                    field(F::scrollWheelEventPointDeltaAxis2));
      break;
    default:
      std::snprintf(text, sizeof text, "%s (%g, %g) button %lld click %lld delta (%lld, %lld)",
                    type.c_str(), event.location().x, event.location().y,
                    field(F::mouseEventButtonNumber), field(F::mouseEventClickState),
                    field(F::mouseEventDeltaX), field(F::mouseEventDeltaY));
      break;
  }
  return std::string(text) + (SharedEventSource::isSynthetic(event) ? " marked" : "");
}

// Installs a fresh simulated platform per test, so the shared services are fresh as well.
class SimActionTest : public ::testing::Test {
 protected:
  std::shared_ptr<sim::SimPlatform> sim = sim::SimPlatform::install();

  // Every event posted so far (all at the HID level), optionally with its virtual time:
  // "0.600 flagsChanged 55 flags 0x0".
  std::vector<std::string> posted(bool withTimes = false) const {
    std::vector<std::string> lines;
    for (const auto& record : sim->events().posted()) {
      EXPECT_EQ(record.location, platform::EventTapLocation::hid);
      char time[32];
      std::snprintf(time, sizeof time, "%.3f ", record.uptimeSeconds);
      lines.push_back((withTimes ? time : "") + describe(record.event));
    }
    return lines;
  }
};

}  // namespace tactora::testing
