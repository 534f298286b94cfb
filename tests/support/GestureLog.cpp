#include "support/GestureLog.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>

#include <gtest/gtest.h>

namespace tactora::testing {

namespace {

bool closeEnough(float a, float b) {
  const float scale = std::max({1.0f, std::fabs(a), std::fabs(b)});
  return std::fabs(a - b) <= 1e-3f * scale;
}

bool matches(const GestureEvent& actual, const GestureEvent& expected) {
  using C = GestureEvent::Case;
  const C kind = expected.kind();
  if (kind == C::dragBegan || kind == C::dragScrollMoved || kind == C::dragScrollEnded) {
    // The accessors of the three float pairs read the same two fields.
    return actual.kind() == kind && closeEnough(actual.startX(), expected.startX()) &&
           closeEnough(actual.startY(), expected.startY());
  }
  return actual == expected;
}

}  // namespace

GestureLog::GestureLog() : emit_([this](const GestureEvent& event) { events_.push_back(event); }) {}

void GestureLog::expect(const std::vector<GestureEvent>& expected, const char* file, int line) {
  bool same = events_.size() == expected.size();
  for (std::size_t i = 0; same && i < expected.size(); ++i) {
    same = matches(events_[i], expected[i]);
  }
  if (!same) {
    ADD_FAILURE_AT(file, line) << "events differ\n  expected: " << describe(expected)
                               << "\n    actual: " << describe(events_);
  }
  events_.clear();
}

std::vector<GestureEvent> GestureLog::take() {
  return std::exchange(events_, {});
}

std::string describe(const std::vector<GestureEvent>& events) {
  std::ostringstream text;
  for (std::size_t i = 0; i < events.size(); ++i) {
    text << (i == 0 ? "" : ", ") << events[i].description();
  }
  return events.empty() ? "(none)" : text.str();
}

std::vector<GestureEvent> operator+(std::vector<GestureEvent> first,
                                    const std::vector<GestureEvent>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

}  // namespace tactora::testing
