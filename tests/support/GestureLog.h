#pragma once

#include <functional>
#include <string>
#include <vector>

#include "GestureEngine/GestureEvent.h"

namespace tactora::testing {

// Collects emitted events; every check consumes what it saw.
class GestureLog {
 public:
  GestureLog();
  GestureLog(const GestureLog&) = delete;
  GestureLog& operator=(const GestureLog&) = delete;

  // An emit callback that records into this log (valid as long as the log lives).
  const std::function<void(const GestureEvent&)>& emitter() const { return emit_; }

  // Compares the events since the last check with `expected`; float payloads (results of float
  // arithmetic) within a relative 1e-3, everything else exactly.
  void expect(const std::vector<GestureEvent>& expected, const char* file, int line);

  std::vector<GestureEvent> take();
  const std::vector<GestureEvent>& unchecked() const { return events_; }

 private:
  std::vector<GestureEvent> events_;
  std::function<void(const GestureEvent&)> emit_;
};

std::string describe(const std::vector<GestureEvent>& events);

// Sequences joined, for expectations about runs of frames.
std::vector<GestureEvent> operator+(std::vector<GestureEvent> first,
                                    const std::vector<GestureEvent>& second);

// Builders that let expectations read like the events' textual form: tap(2), dragMoved().
inline constexpr auto tap = &GestureEvent::tap;
inline constexpr auto doubleTap = &GestureEvent::doubleTap;
inline constexpr auto tripleTap = &GestureEvent::tripleTap;
inline constexpr auto rightZoneTap = &GestureEvent::rightZoneTap;
inline constexpr auto swipe = &GestureEvent::swipe;
inline constexpr auto swipeCandidateBegan = &GestureEvent::swipeCandidateBegan;
inline constexpr auto pinch = &GestureEvent::pinch;
inline constexpr auto dragBegan = &GestureEvent::dragBegan;
inline constexpr auto dragMoved = &GestureEvent::dragMoved;
inline constexpr auto dragEnded = &GestureEvent::dragEnded;
inline constexpr auto dragScrollMoved = &GestureEvent::dragScrollMoved;
inline constexpr auto dragScrollEnded = &GestureEvent::dragScrollEnded;

}  // namespace tactora::testing

// Checks the GestureLog named `events` in scope against the events given, or a vector of them.
#define EXPECT_EVENTS(...) \
  events.expect(std::vector<::tactora::GestureEvent>{__VA_ARGS__}, __FILE__, __LINE__)
#define EXPECT_NO_EVENTS() events.expect({}, __FILE__, __LINE__)
