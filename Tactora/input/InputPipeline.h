#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "GestureEngine/GestureEngine.h"
#include "GestureEngine/SizeF.h"
#include "Platform/MultitouchProvider.h"
#include "Platform/Platform.h"
#include "Platform/RepeatingTimer.h"
#include "Platform/Subscription.h"
#include "Tactora/input/ButtonStateTap.h"
#include "Tactora/input/ContactRecordReader.h"
#include "Tactora/input/ScrollSuppressionPolicy.h"
#include "Tactora/input/ScrollSuppressionTap.h"

namespace tactora {

// Turns the contact frames of the external multitouch device into frames for the gesture engine,
// keeps scroll suppression in step with the touches and the engine's events, and hands every
// gesture to its owner. Owns the device, the two input taps, a no-frame watchdog and the reaction
// to system wake.
//
// start, stop, watchdogTick and handleWake belong to the main thread; handleFrame runs on the
// device's delivery thread. One lock guards the per-frame state: handleFrame holds it for the
// whole frame (so `onGesture` runs under it and must not call back into the pipeline), the
// main-thread operations hold it only while they touch that state, never while opening or
// closing the device, because the provider may be delivering a frame during those calls.
class InputPipeline : public std::enable_shared_from_this<InputPipeline> {
  struct Key {
    explicit Key() = default;
  };

 public:
  using GestureHandler = std::function<void(const GestureEvent&)>;
  // Sees every frame the engine is given: frame thread, under the frame lock, so it must only
  // copy what it needs and return.
  using FrameObserver = std::function<void(const BorrowedFrame&)>;

  static constexpr double watchdogIntervalSeconds = 2.0;
  static constexpr double noFrameTimeoutSeconds = 60.0;
  static constexpr SizeF defaultSurfaceSizeMM{51.5f, 90.5f};
  // Surface sizes outside (5, 500) mm are not a real mouse; the previous size is kept then.
  static constexpr float minPlausibleSurfaceMM = 5.0f;
  static constexpr float maxPlausibleSurfaceMM = 500.0f;

  // Creates the pipeline (not started) and makes it the one the frame callback reaches.
  static std::shared_ptr<InputPipeline> create(std::shared_ptr<GestureEngine> engine,
                                               GestureHandler onGesture);
  InputPipeline(Key, std::shared_ptr<GestureEngine> engine, GestureHandler onGesture);
  ~InputPipeline();
  InputPipeline(const InputPipeline&) = delete;
  InputPipeline& operator=(const InputPipeline&) = delete;

  // The most recently created pipeline that still exists.
  static std::shared_ptr<InputPipeline> currentPipeline();

  void start();
  void stop();
  void watchdogTick();
  void handleWake();
  // One frame of `count` 96-byte records; `frameTimeSeconds` is the device's frame time.
  void handleFrame(std::int32_t count, const void* contacts, double frameTimeSeconds);

  // Main thread, before `start`.
  void setFrameObserver(FrameObserver observer);

  // Main thread.
  bool isStarted() const { return started_; }
  bool hasActiveDevice() const { return activeDevice_ != nullptr; }
  bool isBridgeLoaded() const { return bridgeLoaded_; }
  SizeF surfaceSizeMM() const;
  // A copy, taken under the frame lock.
  ScrollSuppressionPolicy suppressionPolicy() const;
  ButtonStateTap& buttonStateTap() { return *buttonStateTap_; }
  ScrollSuppressionTap& scrollSuppressionTap() { return *scrollSuppressionTap_; }

 private:
  static std::int32_t contactFrameCallback(MTDeviceRef device, const void* contacts,
                                           std::int32_t count, double frameTimeSeconds,
                                           std::int32_t frameNumber);
  // Lists the devices and opens the first external one; `running`, the device open until now,
  // is closed first unless it is the one chosen again.
  void enumerateDevices(MTDeviceRef running = nullptr);
  // The watchdog's and the wake's re-opening: enumerate again, keeping the device if it is
  // listed again.
  void reopenDevice();
  static void closeDevice(MTDeviceRef device);
  void closeActiveDevice();
  void clearFrameState();
  void handleEngineEvent(const GestureEvent& event);

  platform::Platform& platform_;
  std::shared_ptr<GestureEngine> engine_;
  GestureHandler onGesture_;
  FrameObserver frameObserver_;  // guarded by the frame lock

  // Device side: main thread only.
  MTDeviceRef* devices_ = nullptr;
  std::int32_t deviceCount_ = 0;
  MTDeviceRef activeDevice_ = nullptr;
  bool started_ = false;
  bool bridgeLoaded_ = false;
  std::shared_ptr<platform::RepeatingTimer> watchdog_;
  platform::Subscription wakeSubscription_;

  // Per-frame state, under frameMutex_.
  mutable std::mutex frameMutex_;
  SizeF surfaceSizeMM_ = defaultSurfaceSizeMM;
  ContactRecordReader contactReader_;
  ScrollSuppressionPolicy suppressionPolicy_;
  double frameNowSeconds_ = 0;  // the frame's one uptime reading, for the engine's events
  int frameTouchCount_ = 0;
  GestureEmit emitForFrame_;  // built once, so a frame creates no callback object

  // Uptime seconds of the last frame or device start; written by the frame thread, read by the
  // watchdog.
  std::atomic<double> lastFrameAt_;

  std::shared_ptr<ButtonStateTap> buttonStateTap_;
  std::shared_ptr<ScrollSuppressionTap> scrollSuppressionTap_;
};

}  // namespace tactora
