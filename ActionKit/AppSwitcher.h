#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "Platform/Event.h"
#include "Platform/FixedShortcut.h"
#include "Platform/Platform.h"
#include "Platform/WorkItem.h"

namespace tactora {

// Drives the system's Command-Tab switcher from gestures: the first step presses and holds
// Command, every step presses Tab (with Shift going backward), and Command is let go `holdSeconds`
// after the latest step, or at the latest 6 s after the first, which picks the highlighted app.
class AppSwitcher : public std::enable_shared_from_this<AppSwitcher> {
  struct ConstructionKey {
    explicit ConstructionKey() = default;
  };

 public:
  using PostEvent = std::function<void(const platform::Event&)>;

  static constexpr double defaultHoldSeconds = 0.6;
  static constexpr double maximumHoldSeconds = 6.0;

  // The release timers refer to the switcher weakly, so it always lives in a `shared_ptr`. Events
  // are made with `platform`'s event system from the shared source and leave through `postEvent`;
  // the timers run on `platform`'s main queue.
  static std::shared_ptr<AppSwitcher> create(platform::Platform& platform, PostEvent postEvent);
  // Posts at the HID level of `platform`.
  static std::shared_ptr<AppSwitcher> create(platform::Platform& platform);
  // The process-wide switcher of the installed platform, made on first use.
  static AppSwitcher& shared();

  AppSwitcher(ConstructionKey, platform::Platform& platform, PostEvent postEvent);
  ~AppSwitcher();
  AppSwitcher(const AppSwitcher&) = delete;
  AppSwitcher& operator=(const AppSwitcher&) = delete;

  // One step of the switcher: forward for the next application, backward for the previous.
  void cycle(bool forward);
  // Cancels both timers and lets go of Command if it is held.
  void release();

  // Delay after the latest step before Command is let go; used as given, without clamping.
  double holdSeconds() const { return holdSeconds_.load(std::memory_order_relaxed); }
  void setHoldSeconds(double seconds) { holdSeconds_.store(seconds, std::memory_order_relaxed); }

  bool isHolding() const;

 private:
  enum class Commit { rolling, absolute };

  // Runs when a commit timer fires; does nothing if that timer was replaced or cancelled since.
  void commitFired(Commit commit, std::uint64_t token);
  // Both with `lock_` held.
  void releaseLocked();
  void postKey(std::uint16_t keyCode, bool keyDown, platform::EventFlags flags, bool asFlagsChanged,
               platform::FixedShortcut shortcut);
  std::shared_ptr<platform::WorkItem> arm(Commit commit, double delaySeconds, std::uint64_t& token);

  platform::Platform& platform_;
  PostEvent postEvent_;
  // Written on the main thread, read when a rolling commit is armed without taking the lock.
  std::atomic<double> holdSeconds_{defaultHoldSeconds};

  mutable std::mutex lock_;
  bool isHolding_ = false;
  std::shared_ptr<platform::WorkItem> rollingCommit_;
  std::shared_ptr<platform::WorkItem> absoluteCommit_;
  // Which arming of each commit is current (0: none). A commit that already started when it was
  // cancelled sees a different token and does nothing.
  std::uint64_t rollingToken_ = 0;
  std::uint64_t absoluteToken_ = 0;
  std::uint64_t nextToken_ = 0;
};

}  // namespace tactora
