// Cost of one frame through the gesture engine in the situations that produce frames most often.
// Each iteration processes one frame; scenarios that end (a swipe, a tap) repeat with time moving
// on, so every frame of the cycle is measured in turn.
#include <cstddef>
#include <vector>

#include <benchmark/benchmark.h>

#include "GestureEngine/GestureEngine.h"

namespace {

using tactora::BorrowedFrame;
using tactora::DragActivation;
using tactora::GestureEmit;
using tactora::GestureEngine;
using tactora::GestureEvent;
using tactora::PointF;
using tactora::RecognitionConfig;
using tactora::SizeF;
using tactora::Touch;
using tactora::TouchPhase;

constexpr double frameIntervalSeconds = 0.011;  // about 90 frames per second
constexpr SizeF surfaceMM{51.5f, 90.5f};

struct Frame {
  std::vector<Touch> touches;
  PointF cursor;
};

Touch touch(int id, TouchPhase phase, float x, float y) {
  return Touch{id, phase, {x, y}, {}, 1.0f, 0.0f};
}

// Feeds `cycle` over and over; the clock advances one frame interval per frame, plus `gapSeconds`
// between two passes over the cycle.
void runCycle(benchmark::State& state, const RecognitionConfig& config,
              const std::vector<Frame>& prelude, const std::vector<Frame>& cycle,
              double gapSeconds) {
  double nowSeconds = 100.0;
  GestureEngine engine{config, [&nowSeconds] { return nowSeconds; }};
  std::size_t events = 0;
  const GestureEmit emit = [&events](const GestureEvent& event) {
    events += 1;
    benchmark::DoNotOptimize(event);
  };
  auto feed = [&](const Frame& frame) {
    engine.process(BorrowedFrame{nowSeconds, surfaceMM, frame.touches, false, frame.cursor}, emit);
    nowSeconds += frameIntervalSeconds;
  };
  for (const Frame& frame : prelude) {
    feed(frame);
  }
  std::size_t next = 0;
  for (auto _ : state) {
    feed(cycle[next]);
    if (++next == cycle.size()) {
      next = 0;
      nowSeconds += gapSeconds;
    }
  }
  state.counters["eventsPerFrame"] =
      benchmark::Counter(static_cast<double>(events), benchmark::Counter::kAvgIterations);
}

void BM_GestureEngine_OneRestingFinger(benchmark::State& state) {
  const std::vector<Frame> prelude{{{touch(1, TouchPhase::began, 0.4f, 0.5f)}, {500, 400}}};
  const std::vector<Frame> cycle{{{touch(1, TouchPhase::moved, 0.4f, 0.5f)}, {500, 400}}};
  runCycle(state, RecognitionConfig::defaults(), prelude, cycle, 0);
}
BENCHMARK(BM_GestureEngine_OneRestingFinger);

void BM_GestureEngine_TwoFingersSwiping(benchmark::State& state) {
  std::vector<Frame> cycle;
  cycle.push_back(
      {{touch(1, TouchPhase::began, 0.30f, 0.4f), touch(2, TouchPhase::began, 0.45f, 0.4f)},
       {500, 400}});
  float dx = 0;
  for (int i = 0; i < 16; ++i) {
    dx += 0.02f;  // about 1 mm per frame: a swipe after 12 frames
    cycle.push_back({{touch(1, TouchPhase::moved, 0.30f + dx, 0.4f),
                      touch(2, TouchPhase::moved, 0.45f + dx, 0.4f)},
                     {500, 400}});
  }
  cycle.push_back({{touch(1, TouchPhase::ended, 0.30f + dx, 0.4f),
                    touch(2, TouchPhase::ended, 0.45f + dx, 0.4f)},
                   {500, 400}});
  runCycle(state, RecognitionConfig::defaults(), {}, cycle, 0.5);
}
BENCHMARK(BM_GestureEngine_TwoFingersSwiping);

void BM_GestureEngine_ThreeFingersTapping(benchmark::State& state) {
  std::vector<Frame> cycle;
  auto three = [](TouchPhase phase) {
    return Frame{
        {touch(1, phase, 0.3f, 0.4f), touch(2, phase, 0.4f, 0.4f), touch(3, phase, 0.5f, 0.4f)},
        {500, 400}};
  };
  cycle.push_back(three(TouchPhase::began));
  for (int i = 0; i < 8; ++i) {
    cycle.push_back(three(TouchPhase::moved));
  }
  cycle.push_back(three(TouchPhase::ended));
  runCycle(state, RecognitionConfig::defaults(), {}, cycle, 0.2);
}
BENCHMARK(BM_GestureEngine_ThreeFingersTapping);

// A finger rests while the mouse moves (a drag) and a second finger scrolls up and down.
void BM_GestureEngine_DragWithScrollFinger(benchmark::State& state) {
  RecognitionConfig config = RecognitionConfig::defaults();
  config.dragActivation = DragActivation::fingerRest;
  const std::vector<Frame> prelude{
      {{touch(1, TouchPhase::began, 0.3f, 0.5f)}, {500, 400}},
      {{touch(1, TouchPhase::moved, 0.3f, 0.5f)}, {520, 400}},
      {{touch(1, TouchPhase::moved, 0.3f, 0.5f), touch(2, TouchPhase::began, 0.6f, 0.5f)},
       {530, 400}},
  };
  std::vector<Frame> cycle;
  for (int i = 0; i < 20; ++i) {
    const float y = 0.5f + 0.02f * static_cast<float>(i < 10 ? i : 20 - i);
    cycle.push_back(
        {{touch(1, TouchPhase::moved, 0.3f, 0.5f), touch(2, TouchPhase::moved, 0.6f, y)},
         {530.0f + static_cast<float>(i), 400}});
  }
  runCycle(state, config, prelude, cycle, 0);
}
BENCHMARK(BM_GestureEngine_DragWithScrollFinger);

}  // namespace

BENCHMARK_MAIN();
