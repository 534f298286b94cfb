#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "Platform/Event.h"
#include "Platform/Platform.h"
#include "Platform/RepeatingTimer.h"

namespace tactora {

// Pixel scrolling for the two-finger scroll during a drag, with momentum after the fingers lift:
// plain scroll events posted at 60 Hz with a decaying velocity until it falls to 6 px/s.
class SyntheticScroll : public std::enable_shared_from_this<SyntheticScroll> {
  struct ConstructionKey {
    explicit ConstructionKey() = default;
  };

 public:
  using PostEvent = std::function<void(const platform::Event&)>;

  static constexpr float momentumDecay = 0.93f;  // per tick
  static constexpr float momentumStopSpeedPixelsPerSecond = 6.0f;
  static constexpr double momentumTickSeconds = 1.0 / 60.0;

  // Momentum ticks refer to the scroller weakly, so it always lives in a `shared_ptr`. Events are
  // made with `platform`'s event system from the shared source and leave through `postEvent`;
  // momentum runs on `platform`'s user-interactive global queue.
  static std::shared_ptr<SyntheticScroll> create(platform::Platform& platform, PostEvent postEvent);
  // Posts at the HID level of `platform`.
  static std::shared_ptr<SyntheticScroll> create(platform::Platform& platform);
  // The process-wide scroller of the installed platform, made on first use.
  static SyntheticScroll& shared();

  SyntheticScroll(ConstructionKey, platform::Platform& platform, PostEvent postEvent);
  ~SyntheticScroll();
  SyntheticScroll(const SyntheticScroll&) = delete;
  SyntheticScroll& operator=(const SyntheticScroll&) = delete;

  // Stops any momentum, then scrolls by (dx, dy) pixels.
  void scroll(float dx, float dy);
  // Replaces any momentum with one starting at (vx, vy) pixels per second; nothing starts at
  // 6 px/s or less.
  void startMomentum(float vx, float vy);
  void stopMomentum();
  bool isMomentumRunning() const;

 private:
  // Stops the momentum only if it is still the one started as `generation`, so the last tick of
  // a replaced momentum cannot stop its successor.
  void stopMomentum(std::uint64_t generation);
  // Posts one pixel scroll event; takes no lock, so ticks and gesture scrolls may overlap.
  void postScroll(float dx, float dy) const;

  platform::Platform& platform_;
  PostEvent postEvent_;

  mutable std::mutex lock_;
  std::shared_ptr<platform::RepeatingTimer> momentumTimer_;
  std::uint64_t momentumGeneration_ = 0;
};

}  // namespace tactora
