#include "Tactora/input/InputPipeline.h"

#include <utility>

#include "Platform/Logger.h"
#include "Tactora/input/MTBridge.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"InputPipeline"};

std::mutex gCurrentPipelineMutex;
std::weak_ptr<InputPipeline> gCurrentPipeline;

bool plausibleSurfaceMM(float millimetres) {
  return millimetres > InputPipeline::minPlausibleSurfaceMM &&
         millimetres < InputPipeline::maxPlausibleSurfaceMM;
}

}  // namespace

std::shared_ptr<InputPipeline> InputPipeline::create(std::shared_ptr<GestureEngine> engine,
                                                     GestureHandler onGesture) {
  auto pipeline = std::make_shared<InputPipeline>(Key{}, std::move(engine), std::move(onGesture));
  std::lock_guard lock(gCurrentPipelineMutex);
  gCurrentPipeline = pipeline;
  return pipeline;
}

InputPipeline::InputPipeline(Key, std::shared_ptr<GestureEngine> engine, GestureHandler onGesture)
    : platform_(platform::Platform::current()),
      engine_(std::move(engine)),
      onGesture_(std::move(onGesture)),
      emitForFrame_([this](const GestureEvent& event) { handleEngineEvent(event); }),
      lastFrameAt_(platform_.clock().uptimeSeconds()),
      buttonStateTap_(ButtonStateTap::create()),
      scrollSuppressionTap_(ScrollSuppressionTap::create()) {}

InputPipeline::~InputPipeline() {
  // An owner that forgot to stop must not leave the device delivering to nobody.
  stop();
}

std::shared_ptr<InputPipeline> InputPipeline::currentPipeline() {
  std::lock_guard lock(gCurrentPipelineMutex);
  return gCurrentPipeline.lock();
}

SizeF InputPipeline::surfaceSizeMM() const {
  std::lock_guard lock(frameMutex_);
  return surfaceSizeMM_;
}

ScrollSuppressionPolicy InputPipeline::suppressionPolicy() const {
  std::lock_guard lock(frameMutex_);
  return suppressionPolicy_;
}

void InputPipeline::start() {
  if (started_) {
    return;
  }
  if (MTBridgeLoad() != 0) {
    logger.error("multitouch provider unavailable: %{public}s", {MTBridgeLastError()});
    return;
  }
  bridgeLoaded_ = true;
  buttonStateTap_->start();
  scrollSuppressionTap_->start();
  std::weak_ptr<InputPipeline> weak = weak_from_this();
  wakeSubscription_ = platform_.workspace().subscribeDidWake([weak] {
    if (auto self = weak.lock()) {
      self->handleWake();
    }
  });
  started_ = true;
  enumerateDevices();
  watchdog_ = platform_.dispatch().main().scheduleRepeating(watchdogIntervalSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->watchdogTick();
    }
  });
  // Each tick decides from the time of the last frame alone and repairs at once.
  watchdog_->markAsWatchdog();
}

void InputPipeline::stop() {
  if (!started_) {
    return;
  }
  started_ = false;
  wakeSubscription_.cancel();
  scrollSuppressionTap_->setMode(ScrollSuppressionMode::none);
  // The engine is not reset: a drag in progress is ended by the owner, which knows whether it
  // holds a synthetic button.
  clearFrameState();
  if (watchdog_) {
    watchdog_->invalidate();
    watchdog_.reset();
  }
  closeActiveDevice();
}

void InputPipeline::watchdogTick() {
  if (!bridgeLoaded_) {
    return;
  }
  if (activeDevice_ == nullptr) {
    enumerateDevices();
    return;
  }
  // Checked every 2 s, so a silent device is re-opened between 60 and 62 s after its last frame.
  const double silentSeconds = platform_.clock().uptimeSeconds() - lastFrameAt_.load();
  if (silentSeconds > noFrameTimeoutSeconds) {
    logger.notice("no frames for 60s — re-enumerating");
    reopenDevice();
  }
}

void InputPipeline::handleWake() {
  logger.notice("system woke — re-enumerating multitouch devices");
  clearFrameState();
  scrollSuppressionTap_->setMode(ScrollSuppressionMode::none);
  // Contacts from before the sleep are gone; a drag in progress reports its end straight to the
  // owner.
  engine_->reset(onGesture_);
  reopenDevice();
}

void InputPipeline::reopenDevice() {
  // The device in use stays open until the enumeration has chosen. A provider that lists it
  // again keeps it running when started again (on Linux a quiet mouse keeps its grab and its
  // clone, so the desktop sees nothing and a held button stays held); only a device that is not
  // chosen again is closed, before the new one opens. The old list keeps it alive until then.
  MTDeviceRef running = std::exchange(activeDevice_, nullptr);
  MTDeviceRef* previousList = std::exchange(devices_, nullptr);
  const std::int32_t previousCount = std::exchange(deviceCount_, 0);
  enumerateDevices(running);
  MTBridgeReleaseDevices(previousList, previousCount);
}

void InputPipeline::clearFrameState() {
  std::lock_guard lock(frameMutex_);
  contactReader_.clear();
  suppressionPolicy_.reset();
}

void InputPipeline::enumerateDevices(MTDeviceRef running) {
  if (!bridgeLoaded_) {
    closeDevice(running);
    return;
  }
  std::int32_t count = 0;
  MTDeviceRef* devices = MTBridgeCopyDevices(&count);
  if (devices == nullptr || count < 1) {
    MTBridgeReleaseDevices(devices, count);
    closeDevice(running);
    logger.notice("no multitouch devices found yet");
    return;
  }
  MTDeviceRef chosen = nullptr;
  for (std::int32_t i = 0; i < count; ++i) {
    MTDeviceRef device = devices[i];
    if (device == nullptr) {
      continue;
    }
    const bool builtIn = MTBridgeIsBuiltIn(device);
    const std::int32_t family = MTBridgeFamilyID(device);
    logger.notice("MT device[%{public}ld]: builtin=%{bool,public}d family=%{public}d",
                  {static_cast<long>(i), builtIn, family});
    // The first device that is not built in is the mouse; a built-in trackpad is left alone.
    if (chosen == nullptr && !builtIn) {
      chosen = device;
    }
  }
  if (chosen != running) {
    closeDevice(running);
  }
  // The list keeps the chosen device alive; it is not retained on its own.
  MTBridgeReleaseDevices(devices_, deviceCount_);
  devices_ = devices;
  deviceCount_ = count;
  if (chosen == nullptr) {
    logger.notice("no external multitouch device (Magic Mouse) present");
    return;
  }
  activeDevice_ = chosen;

  std::int32_t widthHundredthsMM = 0;
  std::int32_t heightHundredthsMM = 0;
  MTBridgeSurfaceDimensions(chosen, &widthHundredthsMM, &heightHundredthsMM);
  const SizeF reported{static_cast<float>(widthHundredthsMM) / 100.0f,
                       static_cast<float>(heightHundredthsMM) / 100.0f};
  if (plausibleSurfaceMM(reported.width) && plausibleSurfaceMM(reported.height)) {
    std::lock_guard lock(frameMutex_);
    surfaceSizeMM_ = reported;
  }

  MTBridgeRegisterCallback(chosen, &InputPipeline::contactFrameCallback);
  MTBridgeStart(chosen, 0);
  lastFrameAt_.store(platform_.clock().uptimeSeconds());
}

void InputPipeline::closeDevice(MTDeviceRef device) {
  // Unregister before stopping and before releasing the list, so no frame arrives for a device
  // that is going away.
  if (device != nullptr) {
    MTBridgeUnregisterCallback(device, &InputPipeline::contactFrameCallback);
    MTBridgeStop(device);
  }
}

void InputPipeline::closeActiveDevice() {
  closeDevice(activeDevice_);
  if (devices_ != nullptr) {
    MTBridgeReleaseDevices(devices_, deviceCount_);
  }
  devices_ = nullptr;
  deviceCount_ = 0;
  activeDevice_ = nullptr;
}

std::int32_t InputPipeline::contactFrameCallback(MTDeviceRef /*device*/, const void* contacts,
                                                 std::int32_t count, double frameTimeSeconds,
                                                 std::int32_t /*frameNumber*/) {
  if (contacts == nullptr) {
    return 0;
  }
  // A pipeline being destroyed is simply skipped.
  if (std::shared_ptr<InputPipeline> pipeline = currentPipeline()) {
    pipeline->handleFrame(count, contacts, frameTimeSeconds);
  }
  return 0;
}

void InputPipeline::setFrameObserver(FrameObserver observer) {
  std::lock_guard lock(frameMutex_);
  frameObserver_ = std::move(observer);
}

void InputPipeline::handleFrame(std::int32_t count, const void* contacts, double frameTimeSeconds) {
  // One clock reading serves the whole frame: touch-down times, suppression and the watchdog.
  const double now = platform_.clock().uptimeSeconds();
  lastFrameAt_.store(now);

  std::lock_guard lock(frameMutex_);
  contactReader_.read(count, contacts, now);
  const int touching = contactReader_.touchingCount();
  scrollSuppressionTap_->setMode(
      suppressionPolicy_.updateForFrame(touching, now - contactReader_.earliestTouchDown(), now));

  const std::optional<platform::Point> pointer = platform_.events().pointerLocation();
  BorrowedFrame frame;
  frame.timestamp = frameTimeSeconds;
  frame.surfaceSizeMM = surfaceSizeMM_;
  frame.touches = contactReader_.touches();
  frame.physicalButtonDown = buttonStateTap_->isButtonDown();
  if (pointer) {
    frame.cursorPosition = {static_cast<float>(pointer->x), static_cast<float>(pointer->y)};
  }

  frameNowSeconds_ = now;
  frameTouchCount_ = touching;
  engine_->process(frame, emitForFrame_);
  if (frameObserver_) {
    frameObserver_(frame);
  }

  if (contactReader_.isEmpty()) {
    // The last finger is off the surface: every hold ends and native scrolling passes again.
    suppressionPolicy_.reset();
    scrollSuppressionTap_->setMode(ScrollSuppressionMode::none);
  }
}

void InputPipeline::handleEngineEvent(const GestureEvent& event) {
  // Runs inside handleFrame, under the frame lock, with that frame's count and time.
  scrollSuppressionTap_->setMode(
      suppressionPolicy_.updateForEvent(event, frameTouchCount_, frameNowSeconds_));
  if (onGesture_) {
    onGesture_(event);
  }
}

}  // namespace tactora
