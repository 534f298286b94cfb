#pragma once

#include <memory>
#include <mutex>
#include <string_view>

#include "Platform/Event.h"
#include "Tactora/input/TapPort.h"

namespace tactora {

// Tracks whether the physical left mouse button is held, with a listen-only event tap on its own
// thread. The frames say nothing about the button, yet a press must cancel a tap and end a drag.
// The program's own synthetic presses are ignored.
class ButtonStateTap final : public std::enable_shared_from_this<ButtonStateTap>,
                             public TapPort::Client {
  // Construction only through `create`: the tap thread and callbacks hold the object weakly.
  struct Key {
    explicit Key() = default;
  };

 public:
  static constexpr const char* threadName = "com.vellumworks.Tactora.ButtonStateTap";

  explicit ButtonStateTap(Key) {}
  static std::shared_ptr<ButtonStateTap> create();
  ButtonStateTap(const ButtonStateTap&) = delete;
  ButtonStateTap& operator=(const ButtonStateTap&) = delete;

  // Starts the tap thread once; later calls do nothing. There is no stop.
  void start();
  bool isButtonDown() const;

 private:
  platform::Event* handleEvent(platform::EventType type, platform::Event& event) override;
  bool wantsTapEnabled() const override { return true; }
  void handleTapDisabled(std::string_view reason) override;
  void setState(bool down);

  mutable std::mutex stateMutex_;
  bool state_ = false;
  TapPort port_;
};

}  // namespace tactora
