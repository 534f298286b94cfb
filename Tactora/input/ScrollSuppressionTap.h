#pragma once

#include <memory>
#include <mutex>
#include <string_view>

#include "Platform/Event.h"
#include "Tactora/input/ScrollSuppressionMode.h"
#include "Tactora/input/TapPort.h"

namespace tactora {

// Applies the scroll-suppression mode to native scroll-wheel events with an active event tap on
// its own thread. The tap is switched off while the mode is `none`, so ordinary scrolling costs
// nothing extra; the program's own synthetic scroll events always pass.
class ScrollSuppressionTap final : public std::enable_shared_from_this<ScrollSuppressionTap>,
                                   public TapPort::Client {
  struct Key {
    explicit Key() = default;
  };

 public:
  using Mode = ScrollSuppressionMode;

  static constexpr const char* threadName = "com.vellumworks.Tactora.ScrollSuppressionTap";

  explicit ScrollSuppressionTap(Key) {}
  static std::shared_ptr<ScrollSuppressionTap> create();
  ScrollSuppressionTap(const ScrollSuppressionTap&) = delete;
  ScrollSuppressionTap& operator=(const ScrollSuppressionTap&) = delete;

  // Starts the tap thread once; later calls do nothing. There is no stop: mode `none` idles it.
  void start();
  // Any thread. Touches the tap only when the mode changes.
  void setMode(Mode mode);
  Mode mode() const;

 private:
  platform::Event* handleEvent(platform::EventType type, platform::Event& event) override;
  // A tap the system disabled while suppression was wanted would let scrolling through
  // unnoticed; while the mode is `none` the tap is meant to be off.
  bool wantsTapEnabled() const override { return mode() != Mode::none; }
  void handleTapDisabled(std::string_view reason) override;
  void applyModeToTap();

  mutable std::mutex stateMutex_;
  Mode state_ = Mode::none;
  TapPort port_;
};

}  // namespace tactora
