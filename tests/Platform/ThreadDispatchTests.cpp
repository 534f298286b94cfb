#include <gtest/gtest.h>

#include <pthread.h>
#include <atomic>
#include <chrono>
#include <latch>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/EventLoop.h"
#include "Platform/ThreadDispatch.h"
#include "tests/support/Eventually.h"

namespace tactora::platform {
namespace {

// A generous bound for things that happen within milliseconds; it only matters when a test fails.
constexpr auto patience = std::chrono::seconds(10);

using Labels = std::vector<std::string>;

// Collects labels from any thread; `waitFor` polls until there are `count` and returns them all.
class Recorder {
 public:
  void add(std::string label) {
    std::lock_guard lock(mutex_);
    labels_.push_back(std::move(label));
  }
  Labels waitFor(std::size_t count) {
    testing::eventually([&] { return labels().size() >= count; }, patience);
    return labels();
  }

 private:
  Labels labels() {
    std::lock_guard lock(mutex_);
    return labels_;
  }
  std::mutex mutex_;
  Labels labels_;
};

// Runs an event loop on its own thread, from `start` to the end of the test. Work is scheduled
// before `start`, so what a test checks does not depend on how soon the loop's thread gets a core.
struct RunningLoop {
  void start() {
    thread = std::jthread([this] { loop.run(); });
  }
  ~RunningLoop() { loop.stop(); }  // then the thread is joined, before the loop goes
  EventLoop loop;
  std::jthread thread;
};

// Async work runs in order, delayed work after its delay, a cancelled item never, and a timer
// stops when invalidated. Each recorder's order holds however late the loop's thread runs: the
// third tick schedules "later" well past a fourth tick's due time, so a timer that kept running
// would tick again before it.
TEST(EventLoop, RunsWorkInOrderAfterItsDelayAndNothingCancelledOrInvalidated) {
  Recorder queued;
  Recorder timed;
  RunningLoop running;
  const auto start = std::chrono::steady_clock::now();
  running.loop.asyncAfter(0.05, [&] {
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    queued.add("delayed");
  });
  running.loop.async([&] { queued.add("first"); });
  running.loop.async([&] { queued.add("second"); });
  running.loop.asyncAfter(0.01, [&] { timed.add("cancelled"); })->cancel();
  std::atomic<int> ticks{0};
  std::shared_ptr<RepeatingTimer> timer;
  timer = running.loop.scheduleRepeating(0.005, [&] {
    if (++ticks == 3) {
      timer->invalidate();
      timed.add("third tick");
      running.loop.asyncAfter(0.05, [&] { timed.add("later"); });
    }
  });
  running.start();

  EXPECT_EQ(queued.waitFor(3), (Labels{"first", "second", "delayed"}));
  EXPECT_EQ(timed.waitFor(2), (Labels{"third tick", "later"}));
  EXPECT_EQ(ticks.load(), 3);
  // A loop stopped before it runs returns at once.
  EventLoop stopped;
  stopped.stop();
  stopped.run();
}

// The loop takes work from several threads while it runs: the producers start together, once
// the loop has run its first item, so the work arrives while it runs.
TEST(EventLoopConcurrency, TakesWorkFromManyThreads) {
  RunningLoop running;
  std::latch start{4};
  running.loop.async([&] { start.count_down(); });
  running.start();
  std::atomic<int> ran{0};
  std::vector<std::jthread> producers;
  for (int t = 0; t < 3; ++t) {
    producers.emplace_back([&] {
      start.arrive_and_wait();
      for (int i = 0; i < 100; ++i) {
        running.loop.async([&] { ++ran; });
        running.loop.asyncAfter(0.0001, [&] { ++ran; });
      }
    });
  }
  producers.clear();
  EXPECT_TRUE(testing::eventually([&] { return ran.load() == 600; }, patience));
}

// The system's thread name is the last part of the given one, cut to the 15 characters it holds;
// the global queue runs work off the calling thread.
TEST(ThreadDispatch, NamedThreadRunsItsLoopUntilItsHandleGoesAndGlobalWorkRunsElsewhere) {
  Recorder recorder;
  ThreadDispatch dispatch;
  auto thread =
      dispatch.startThread("com.vellumworks.Tactora.ScrollSuppressionTap", [&](RunLoop& loop) {
        char name[16] = {};
        ::pthread_getname_np(::pthread_self(), name, sizeof name);
        recorder.add(name);
        loop.scheduleRepeating(0.001, [&] { recorder.add("timer"); });
        loop.run();
        recorder.add("loop ended");
      });
  Labels started = recorder.waitFor(2);
  started.resize(2);
  EXPECT_EQ(started, (Labels{"ScrollSuppressi", "timer"}));
  thread.reset();  // stops the loop and joins
  EXPECT_EQ(recorder.waitFor(3).back(), "loop ended");

  Recorder global;
  const auto caller = std::this_thread::get_id();
  dispatch.globalUserInteractive().async(
      [&] { global.add(std::this_thread::get_id() == caller ? "caller" : "elsewhere"); });
  EXPECT_EQ(global.waitFor(1), Labels{"elsewhere"});
}

}  // namespace
}  // namespace tactora::platform
