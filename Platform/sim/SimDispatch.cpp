#include "Platform/sim/SimDispatch.h"

#include <algorithm>
#include <vector>

#include "Platform/EventTap.h"

namespace tactora::sim {

// A queue or run loop whose work goes onto the timeline. Tap sources are only remembered: the
// simulated event system calls taps directly on the thread that delivers the event.
class SimRunLoop : public platform::RunLoop {
 public:
  explicit SimRunLoop(VirtualTimeline& timeline) : timeline_(timeline) {}

  void async(std::function<void()> work) override {
    timeline_.scheduleAt(timeline_.now(), platform::WorkItem::make(std::move(work)));
  }
  void asyncAfter(double delaySeconds, std::shared_ptr<platform::WorkItem> item) override {
    timeline_.scheduleAt(timeline_.now() + std::max(delaySeconds, 0.0), std::move(item));
  }
  using DispatchQueue::asyncAfter;
  std::shared_ptr<platform::RepeatingTimer> scheduleRepeating(double intervalSeconds,
                                                              std::function<void()> fire) override {
    auto timer = std::make_shared<platform::RepeatingTimer>(intervalSeconds, std::move(fire));
    timeline_.scheduleRepeating(intervalSeconds, timer);
    return timer;
  }
  void addTapSource(const std::shared_ptr<platform::EventTap>& tap) override {
    std::lock_guard lock(mutex_);
    sources_.push_back(tap);
  }
  void removeTapSource(const std::shared_ptr<platform::EventTap>& tap) override {
    std::lock_guard lock(mutex_);
    std::erase_if(sources_, [&tap](const auto& weak) {
      auto strong = weak.lock();
      return !strong || strong == tap;
    });
  }
  void run() override {}
  void stop() override {}

 private:
  VirtualTimeline& timeline_;
  std::mutex mutex_;
  std::vector<std::weak_ptr<platform::EventTap>> sources_;
};

namespace {

class SimNamedThread : public platform::NamedThread {
 public:
  SimNamedThread(std::string name, std::shared_ptr<SimRunLoop> loop)
      : name_(std::move(name)), loop_(std::move(loop)) {}
  const std::string& name() const override { return name_; }

 private:
  std::string name_;
  // Shared with the queued body, which may run after the handle is gone.
  std::shared_ptr<SimRunLoop> loop_;
};

}  // namespace

SimDispatch::SimDispatch(VirtualTimeline& timeline)
    : timeline_(timeline),
      main_(std::make_unique<SimRunLoop>(timeline)),
      global_(std::make_unique<SimRunLoop>(timeline)) {}

SimDispatch::~SimDispatch() = default;

platform::RunLoop& SimDispatch::main() {
  return *main_;
}

platform::DispatchQueue& SimDispatch::globalUserInteractive() {
  return *global_;
}

std::unique_ptr<platform::NamedThread> SimDispatch::startThread(
    std::string name, std::function<void(platform::RunLoop& loop)> body) {
  {
    std::lock_guard lock(mutex_);
    threadNames_.push_back(name);
  }
  // The body runs at the next advance, as a new thread would start soon but not at once.
  auto loop = std::make_shared<SimRunLoop>(timeline_);
  timeline_.scheduleAt(timeline_.now(), platform::WorkItem::make([loop, body = std::move(body)] {
                         if (body) {
                           body(*loop);
                         }
                       }));
  return std::make_unique<SimNamedThread>(std::move(name), std::move(loop));
}

void SimDispatch::pause(double seconds) {
  {
    std::lock_guard lock(mutex_);
    pauses_.push_back(seconds);
  }
  timeline_.sleep(seconds);
}

std::vector<std::string> SimDispatch::startedThreadNames() const {
  std::lock_guard lock(mutex_);
  return threadNames_;
}

std::vector<double> SimDispatch::pauses() const {
  std::lock_guard lock(mutex_);
  return pauses_;
}

}  // namespace tactora::sim
