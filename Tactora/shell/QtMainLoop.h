#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "Platform/RunLoop.h"

namespace tactora::shell {

// The application's main queue on Qt's event loop: work posted from any thread runs on the thread
// that owns the loop (the GUI thread), delayed items and repeating timers are QTimers there, and
// `run` is the application's `exec`. Create it on the GUI thread after the QApplication.
class QtMainLoop final : public platform::RunLoop {
 public:
  QtMainLoop();
  ~QtMainLoop() override;
  QtMainLoop(const QtMainLoop&) = delete;
  QtMainLoop& operator=(const QtMainLoop&) = delete;

  void async(std::function<void()> work) override;
  void asyncAfter(double delaySeconds, std::shared_ptr<platform::WorkItem> item) override;
  using DispatchQueue::asyncAfter;
  std::shared_ptr<platform::RepeatingTimer> scheduleRepeating(double intervalSeconds,
                                                              std::function<void()> fire) override;
  // Kept so that a backend's taps can find the loop they deliver on; Qt itself has no use for
  // them.
  void addTapSource(const std::shared_ptr<platform::EventTap>& tap) override;
  void removeTapSource(const std::shared_ptr<platform::EventTap>& tap) override;

  // QApplication::exec on the calling (GUI) thread until `stop`.
  void run() override;
  // Ends `run` once the work now running returns; before `run`, makes it return at once.
  void stop() override;

  // The QTimers this loop holds now (delayed items not yet run and live repeating timers), so a
  // test can see that nothing is left ticking.
  int activeTimerCount() const;
  // Drops every pending item and timer (the application is quitting and its QApplication goes).
  void stopTimers();

 private:
  using Clock = std::chrono::steady_clock;
  bool onLoopThread() const;
  void startSingleShot(Clock::time_point due, std::shared_ptr<platform::WorkItem> item);
  void startRepeating(std::shared_ptr<platform::RepeatingTimer> timer);

  // Owns the QTimers and receives the posted work; lives on the GUI thread.
  std::unique_ptr<QObject> context_;
  mutable std::mutex sourcesMutex_;
  std::vector<std::weak_ptr<platform::EventTap>> sources_;
};

}  // namespace tactora::shell
