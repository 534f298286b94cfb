// The Linux input path per report: a forwarded event from the mouse's node through the taps to
// the clone's descriptor, and a multitouch report from the node to the engine's result.
//
// Each forwarding case is also reported as a ratio to its floor, measured in the same run: the
// same report read from the node and written to the clone with no Tactora code in between (two
// system calls per report, which no forwarder can avoid). Absolute times on a shared machine say
// little; the ratio says what our own code adds. The budget is 1.25.
//   build/release/bench/EvdevInputBench

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GestureEngine/GestureEngine.h"
#include "Platform/UniqueFd.h"
#include "Platform/linux/events/LinuxEventTaps.h"
#include "Platform/linux/input/ReportForwarder.h"
#include "Platform/linux/input/ReportProcessor.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/input/InputPipeline.h"

namespace {

using tactora::lx::LinuxEventTaps;
using tactora::lx::ReportForwarder;
using tactora::lx::ReportProcessor;
using tactora::platform::UniqueFd;

input_event ev(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  input_event event{};
  event.type = type;
  event.code = code;
  event.value = value;
  return event;
}

// A pipe standing in for the mouse's node: the kernel's side writes reports into it, the
// benchmark reads them as the delivery thread does (one read per report).
struct Node {
  Node() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) == 0) {
      read.reset(fds[0]);
      write.reset(fds[1]);
    }
  }
  UniqueFd read;
  UniqueFd write;
};

// What the delivery thread does with a report: its events to the taps and the clone, its frame
// to the pipeline.
class Delivery final : public tactora::lx::ReportSink {
 public:
  Delivery(LinuxEventTaps& taps, int cloneFd, tactora::InputPipeline* pipeline)
      : forwarder_({&LinuxEventTaps::filterReportEntry, &taps, true}), pipeline_(pipeline) {
    forwarder_.setOutput(cloneFd);
  }
  void forwardEvents(std::span<const input_event> events) override { forwarder_.forward(events); }
  void deliverFrame(const tactora::platform::FrameAssembler& frame) override {
    if (pipeline_ != nullptr) {
      pipeline_->handleFrame(frame.recordCount(), frame.records(), frame.frameTimeSeconds());
    }
  }

 private:
  ReportForwarder forwarder_;
  tactora::InputPipeline* pipeline_;
};

// The application's two input taps, as the button-state and scroll-suppression taps make them.
struct Taps {
  Taps() {
    button = taps.createEventTap(
        {tactora::platform::EventTapLocation::session,
         tactora::platform::EventTapPlacement::headInsert,
         tactora::platform::EventTapOptions::listenOnly,
         tactora::platform::eventMaskBit(tactora::platform::EventType::leftMouseDown) |
             tactora::platform::eventMaskBit(tactora::platform::EventType::leftMouseUp)},
        [this](tactora::platform::EventType, tactora::platform::Event& event) {
          ++buttons;
          return &event;
        });
    scroll = taps.createEventTap(
        {tactora::platform::EventTapLocation::session,
         tactora::platform::EventTapPlacement::headInsert,
         tactora::platform::EventTapOptions::defaultTap,
         tactora::platform::eventMaskBit(tactora::platform::EventType::scrollWheel)},
        [this](tactora::platform::EventType, tactora::platform::Event& event) {
          return swallow ? nullptr : &event;
        });
  }
  LinuxEventTaps taps;
  std::shared_ptr<tactora::platform::EventTap> button;
  std::shared_ptr<tactora::platform::EventTap> scroll;
  int buttons = 0;
  bool swallow = false;
};

tactora::platform::EvdevTouchDevice magicMouse() {
  tactora::platform::EvdevTouchDevice device;
  device.vendor = 0x05ac;
  device.product = 0x030d;
  device.positionX = {-1100, 1258, 26};
  device.positionY = {-1589, 2047, 70};
  return device;
}

// One report read from the node and handed on; `report` ends with its SYN_REPORT.
template <std::size_t N>
void readReport(const Node& node, ReportProcessor& processor,
                const std::array<input_event, N>& report, double time) {
  [[maybe_unused]] auto written = ::write(node.write.get(), report.data(), sizeof report);
  std::array<input_event, N> read{};
  [[maybe_unused]] auto got = ::read(node.read.get(), read.data(), sizeof read);
  for (const input_event& event : read) {
    processor.handleEvent(event, time);
  }
}

// The floor: a report of `N` events written into the node, read back as the delivery thread reads
// it, and written to the clone as it is.
template <std::size_t N>
void floorOf(benchmark::State& state, const std::array<input_event, N>& report) {
  Node node;
  const UniqueFd clone(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  for (auto _ : state) {
    [[maybe_unused]] auto written = ::write(node.write.get(), report.data(), sizeof report);
    std::array<input_event, N> read{};
    [[maybe_unused]] auto got = ::read(node.read.get(), read.data(), sizeof read);
    [[maybe_unused]] auto forwarded = ::write(clone.get(), read.data(), sizeof read);
    benchmark::DoNotOptimize(read);
  }
}

void BM_FloorTwoEventReport(benchmark::State& state) {
  floorOf(state, std::array<input_event, 2>{ev(EV_REL, REL_X, 1), ev(EV_SYN, SYN_REPORT, 0)});
}
BENCHMARK(BM_FloorTwoEventReport);

void BM_FloorThreeEventReport(benchmark::State& state) {
  floorOf(state,
          std::array<input_event, 3>{ev(EV_REL, REL_WHEEL, 1), ev(EV_REL, REL_WHEEL_HI_RES, 120),
                                     ev(EV_SYN, SYN_REPORT, 0)});
}
BENCHMARK(BM_FloorThreeEventReport);

void BM_ForwardMotionEvent(benchmark::State& state) {
  Node node;
  Taps taps;
  const UniqueFd clone(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  Delivery delivery(taps.taps, clone.get(), nullptr);
  ReportProcessor processor(magicMouse(), delivery);
  const std::array<input_event, 2> report = {ev(EV_REL, REL_X, 1), ev(EV_SYN, SYN_REPORT, 0)};
  for (auto _ : state) {
    readReport(node, processor, report, 1.0);
  }
}
BENCHMARK(BM_ForwardMotionEvent);

// The same without the two system calls (the node's read, the clone's write): our own share.
void BM_ForwardMotionEventInProcess(benchmark::State& state) {
  Taps taps;
  Delivery delivery(taps.taps, -1, nullptr);
  ReportProcessor processor(magicMouse(), delivery);
  const input_event moved = ev(EV_REL, REL_X, 1);
  const input_event report = ev(EV_SYN, SYN_REPORT, 0);
  for (auto _ : state) {
    processor.handleEvent(moved, 1.0);
    processor.handleEvent(report, 1.0);
  }
}
BENCHMARK(BM_ForwardMotionEventInProcess);

void BM_ForwardButtonEvent(benchmark::State& state) {
  Node node;
  Taps taps;
  const UniqueFd clone(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  Delivery delivery(taps.taps, clone.get(), nullptr);
  ReportProcessor processor(magicMouse(), delivery);
  const std::array<input_event, 2> down = {ev(EV_KEY, BTN_LEFT, 1), ev(EV_SYN, SYN_REPORT, 0)};
  const std::array<input_event, 2> up = {ev(EV_KEY, BTN_LEFT, 0), ev(EV_SYN, SYN_REPORT, 0)};
  bool pressed = false;
  for (auto _ : state) {
    readReport(node, processor, pressed ? up : down, 1.0);
    pressed = !pressed;
  }
  benchmark::DoNotOptimize(taps.buttons);
}
BENCHMARK(BM_ForwardButtonEvent);

void BM_ForwardWheelEventSwallowed(benchmark::State& state) {
  Node node;
  Taps taps;
  taps.swallow = true;
  const UniqueFd clone(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  Delivery delivery(taps.taps, clone.get(), nullptr);
  ReportProcessor processor(magicMouse(), delivery);
  const std::array<input_event, 3> report = {
      ev(EV_REL, REL_WHEEL, 1), ev(EV_REL, REL_WHEEL_HI_RES, 120), ev(EV_SYN, SYN_REPORT, 0)};
  for (auto _ : state) {
    readReport(node, processor, report, 1.0);
  }
}
BENCHMARK(BM_ForwardWheelEventSwallowed);

// Two fingers resting and moving a little: each report moves both and yields a frame, which the
// pipeline turns into touches for the engine.
template <bool readFromNode>
void reportTwoFingers(benchmark::State& state) {
  auto sim = tactora::sim::SimPlatform::install(1000.0);
  auto engine = std::make_shared<tactora::GestureEngine>(tactora::RecognitionConfig{},
                                                         [&] { return sim->timeline().now(); });
  std::size_t gestures = 0;
  auto pipeline =
      tactora::InputPipeline::create(engine, [&](const tactora::GestureEvent&) { ++gestures; });
  Node node;
  Taps taps;
  const UniqueFd clone(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  Delivery delivery(taps.taps, clone.get(), pipeline.get());
  ReportProcessor processor(magicMouse(), delivery);
  const std::array<input_event, 8> down = {ev(EV_ABS, ABS_MT_SLOT, 0),
                                           ev(EV_ABS, ABS_MT_TRACKING_ID, 1),
                                           ev(EV_ABS, ABS_MT_TOUCH_MAJOR, 480),
                                           ev(EV_ABS, ABS_MT_SLOT, 1),
                                           ev(EV_ABS, ABS_MT_TRACKING_ID, 2),
                                           ev(EV_ABS, ABS_MT_TOUCH_MAJOR, 480),
                                           ev(EV_REL, REL_X, 0),
                                           ev(EV_SYN, SYN_REPORT, 0)};
  readReport(node, processor, down, 0.0);
  std::array<input_event, 5> moved = {
      ev(EV_ABS, ABS_MT_SLOT, 0), ev(EV_ABS, ABS_MT_POSITION_X, 0), ev(EV_ABS, ABS_MT_SLOT, 1),
      ev(EV_ABS, ABS_MT_POSITION_X, 400), ev(EV_SYN, SYN_REPORT, 0)};
  double time = 0;
  for (auto _ : state) {
    sim->timeline().advanceBy(0.01);
    time += 0.01;
    const std::int32_t nudge = (state.iterations() % 2) != 0 ? 1 : 0;
    moved[1].value = nudge;
    moved[3].value = 400 + nudge;
    if constexpr (readFromNode) {
      readReport(node, processor, moved, time);
    } else {
      for (const input_event& event : moved) {
        processor.handleEvent(event, time);
      }
    }
  }
  benchmark::DoNotOptimize(gestures);
}

void BM_ReportTwoFingersToEngine(benchmark::State& state) {
  reportTwoFingers<true>(state);
}
BENCHMARK(BM_ReportTwoFingersToEngine);

// Without the node's read: the report's way through the processor, the pipeline and the engine.
void BM_ReportTwoFingersToEngineInProcess(benchmark::State& state) {
  reportTwoFingers<false>(state);
}
BENCHMARK(BM_ReportTwoFingersToEngineInProcess);

// The console's table, then each forwarding case against the floor of its report's size.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        nanoseconds_[run.benchmark_name()] = run.GetAdjustedCPUTime();
      }
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const std::pair<const char*, const char*> cases[] = {
        {"BM_ForwardMotionEvent", "BM_FloorTwoEventReport"},
        {"BM_ForwardButtonEvent", "BM_FloorTwoEventReport"},
        {"BM_ForwardWheelEventSwallowed", "BM_FloorThreeEventReport"},
    };
    std::printf("\nForwarded report against its floor (CPU time, same run; budget 1.25):\n");
    for (const auto& [forwarded, floor] : cases) {
      const auto measured = nanoseconds_.find(forwarded);
      const auto base = nanoseconds_.find(floor);
      if (measured != nanoseconds_.end() && base != nanoseconds_.end() && base->second > 0) {
        std::printf("  %-32s %.2f x %s\n", forwarded, measured->second / base->second, floor);
      }
    }
  }

 private:
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
