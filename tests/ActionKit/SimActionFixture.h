#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ActionKit/SharedEventSource.h"
#include "Platform/Event.h"
#include "Platform/sim/SimPlatform.h"

namespace tactora::testing {

// One line per posted event, in the words a person checking the output would use:
// "keyDown 4 flags 0x100000", "leftMouseUp (103, 198) button 0 click 1 delta (3, -2) marked",
// "scrollWheel vertical 0 horizontal 1 marked".
inline std::string describe(const platform::Event& event) {
  using platform::EventField;
  using platform::EventType;
  const auto field = [&event](EventField f) {
    return static_cast<long long>(event.integerValueField(f));
  };
  char text[256];
  switch (event.type()) {
    case EventType::keyDown:
    case EventType::keyUp:
    case EventType::flagsChanged:
      std::snprintf(
          text, sizeof text, "%s %lld flags 0x%llx", platform::toString(event.type()).c_str(),
          field(EventField::keyboardEventKeycode), static_cast<unsigned long long>(event.flags()));
      break;
    case EventType::scrollWheel:
      std::snprintf(text, sizeof text, "scrollWheel vertical %lld horizontal %lld",
                    field(EventField::scrollWheelEventPointDeltaAxis1),
                    field(EventField::scrollWheelEventPointDeltaAxis2));
      break;
    default:
      std::snprintf(text, sizeof text, "%s (%g, %g) button %lld click %lld delta (%lld, %lld)",
                    platform::toString(event.type()).c_str(), event.location().x,
                    event.location().y, field(EventField::mouseEventButtonNumber),
                    field(EventField::mouseEventClickState), field(EventField::mouseEventDeltaX),
                    field(EventField::mouseEventDeltaY));
      break;
  }
  std::string line = text;
  if (SharedEventSource::isSynthetic(event)) {
    line += " marked";
  }
  return line;
}

// Installs a fresh simulated platform for each test, so the process-wide services the code
// under test reaches are fresh as well.
class SimActionTest : public ::testing::Test {
 protected:
  std::shared_ptr<sim::SimPlatform> sim = sim::SimPlatform::install();

  // Every event posted so far, described; all must have been posted at the HID level.
  std::vector<std::string> posted() const {
    std::vector<std::string> lines;
    for (const auto& record : sim->events().posted()) {
      EXPECT_EQ(record.location, platform::EventTapLocation::hid);
      lines.push_back(describe(record.event));
    }
    return lines;
  }
  // Posted events with the virtual time they were posted at, "0.600 flagsChanged 55 flags 0x0".
  std::vector<std::string> postedWithTimes() const {
    std::vector<std::string> lines;
    for (const auto& record : sim->events().posted()) {
      char time[32];
      std::snprintf(time, sizeof time, "%.3f ", record.uptimeSeconds);
      lines.push_back(time + describe(record.event));
    }
    return lines;
  }
};

}  // namespace tactora::testing
