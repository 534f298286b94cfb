#pragma once

#include <functional>
#include <memory>

#include "Platform/DispatchQueue.h"
#include "Platform/RepeatingTimer.h"
#include "Platform/WorkItem.h"

namespace tactora {

// How long a heads-up panel stays at full opacity, and how long it then takes to fade out.
struct HeadsUpTiming {
  double shownSeconds = 0;
  double fadeSeconds = 0;
};

// The timing of a heads-up panel, the same whichever way the desktop shows it: `restart` brings
// the panel to full opacity for `shownSeconds`; then its alpha falls to 0 over `fadeSeconds`, a
// step every sixtieth of a second, and it is hidden. Each restart starts the countdown again, so
// a quick series of gestures keeps the panel up until `shownSeconds` after the last one; a
// restart during the fade stops the fade, so its end cannot take the renewed panel away. Runs on
// the main queue, whose scheduled work holds the countdown weakly.
class HeadsUpCountdown : public std::enable_shared_from_this<HeadsUpCountdown> {
 public:
  static constexpr HeadsUpTiming gestureOverlay{0.9, 0.25};
  static constexpr HeadsUpTiming updateNotice{3.5, 0.4};
  static constexpr double fadeStepSeconds = 1.0 / 60;

  struct Hooks {
    // Every new alpha: 1 at each restart, falling values during the fade, 0 at its end.
    std::function<void(double alpha)> alphaChanged;
    // After the fade's last step.
    std::function<void()> hidden;
  };

  // `nowSeconds` reads a monotonic clock; empty: the process's own.
  HeadsUpCountdown(platform::DispatchQueue& mainQueue, std::function<double()> nowSeconds,
                   HeadsUpTiming timing, Hooks hooks);
  ~HeadsUpCountdown();
  HeadsUpCountdown(const HeadsUpCountdown&) = delete;
  HeadsUpCountdown& operator=(const HeadsUpCountdown&) = delete;

  void restart();
  bool isShown() const { return shown_; }
  double alpha() const { return alpha_; }

 private:
  void fadeOut();
  void fadeStep();
  void setAlpha(double alpha);
  void stopFade();

  platform::DispatchQueue& mainQueue_;
  std::function<double()> nowSeconds_;
  const HeadsUpTiming timing_;
  Hooks hooks_;
  bool shown_ = false;
  double alpha_ = 0;
  double fadeStartedAt_ = 0;
  std::shared_ptr<platform::WorkItem> hideWorkItem_;
  std::shared_ptr<platform::RepeatingTimer> fadeTimer_;
};

}  // namespace tactora
