#include "Platform/linux/input/DeviceReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include <libevdev/libevdev.h>

#include "Platform/linux/input/UinputClone.h"

namespace tactora::lx {

namespace {

double monotonicNowSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

DeviceReader::DeviceReader(EvdevDevice device, MTDeviceRef ref,
                           const std::atomic<MTContactFrameCallback>& callback, ReportFilter filter,
                           ReaderLog log, std::atomic<std::uint64_t>& cloneIds)
    : device_(std::move(device)),
      ref_(ref),
      callback_(callback),
      filter_(filter),
      log_(log),
      cloneIds_(cloneIds),
      processor_(device_.facts().touch, *this),
      forwarder_(filter) {
  // The kernel may refuse (old kernels, some emulations); then each report is stamped with one
  // read of the monotonic clock instead, which is what the engine's times are measured in.
  monotonicTimes_ = device_.useMonotonicClock();
  grabPending_ = filter_.exclusive && filter_.filter != nullptr;
  if (!thread_.start(threadName, [this](PollThread& thread) { run(thread); })) {
    const std::string line = "cannot read " + device_.facts().node + ": " + std::strerror(errno);
    log_(TACTORA_EVDEV_LOG_ERROR, line.c_str());
    ended_.store(true, std::memory_order_release);
  }
}

DeviceReader::~DeviceReader() {
  thread_.stop();
  if (exclusive_.load()) {
    device_.ungrab();
  }
}

void DeviceReader::markLost() {
  thread_.wake(lossRequest);
}

double DeviceReader::eventTime(const input_event& event) {
  if (monotonicTimes_) {
    return static_cast<double>(event.input_event_sec) +
           static_cast<double>(event.input_event_usec) / 1e6;
  }
  if (!reportTime_) {
    reportTime_ = monotonicNowSeconds();
  }
  return *reportTime_;
}

void DeviceReader::run(PollThread& thread) {
  if (grabPending_) {
    tryTakeMouse();
  }
  pollfd node[1] = {{device_.fd(), POLLIN, 0}};
  for (;;) {
    const std::uint64_t reasons = thread.wait(node);
    if ((reasons & (lossRequest | PollThread::pollFailed)) != 0) {
      lose();
      return;
    }
    if ((reasons & PollThread::stopRequest) != 0) {
      return;
    }
    if ((node[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 || !drain()) {
      lose();
      return;
    }
    if (grabPending_ && !processor_.isAnyButtonHeld()) {
      tryTakeMouse();
    }
  }
}

bool DeviceReader::drain() {
  input_event event{};
  for (;;) {
    switch (device_.next(event)) {
      case EvdevDevice::ReadStatus::event:
      case EvdevDevice::ReadStatus::resyncEvent:
        processor_.handleEvent(event, eventTime(event));
        if (event.type == EV_SYN && event.code == SYN_REPORT) {
          reportTime_.reset();
        }
        break;
      case EvdevDevice::ReadStatus::dropped:
        processor_.discardPartialReport();
        break;
      case EvdevDevice::ReadStatus::empty:
        return true;
      case EvdevDevice::ReadStatus::gone:
        return false;
    }
  }
}

void DeviceReader::lose() {
  processor_.endEverything(monotonicNowSeconds());
  dropClone();
  exclusive_.store(false, std::memory_order_release);
  ended_.store(true, std::memory_order_release);
}

void DeviceReader::tryTakeMouse() {
  // A button held now would be pressed on the desktop and released only on the clone, which the
  // desktop never saw pressed: wait until every button is up.
  if (device_.isAnyButtonDown()) {
    return;
  }
  const std::string& node = device_.facts().node;
  if (const int error = device_.grab(); error != 0) {
    grabPending_ = false;
    const std::string line = "cannot take " + node + " for ourselves (" + std::strerror(error) +
                             (error == EBUSY ? ": another program holds it" : "") +
                             "): gestures work, scroll suppression is off";
    log_(TACTORA_EVDEV_LOG_ERROR, line.c_str());
    return;
  }
  // A press between the check and the grab reached the desktop, and its release would reach only
  // the clone: the button would stay down there. Let go, and try again once it is up.
  if (device_.isAnyButtonDown()) {
    device_.ungrab();
    return;
  }
  grabPending_ = false;
  UinputClone::Result clone =
      UinputClone::create(device_.handle(), node.substr(node.rfind('/') + 1));
  if (auto* error = std::get_if<SystemError>(&clone)) {
    // Without a clone nothing could reach the desktop: the mouse is let go at once.
    device_.ungrab();
    const std::string line = "cannot forward the mouse's events (" + error->what +
                             "): gestures work, scroll suppression is off; the udev rule "
                             "69-tactora.rules grants /dev/uinput";
    log_(TACTORA_EVDEV_LOG_ERROR, line.c_str());
    return;
  }
  cloneFd_ = std::move(std::get<platform::UniqueFd>(clone));
  exclusive_.store(true, std::memory_order_release);
  // What was queued before the grab has reached the desktop already; the taps still see it, the
  // clone does not repeat it.
  if (!drain()) {
    lose();
    return;
  }
  // A mouse whose driver sends no hi-res wheel gets it added: the clone has the hi-res axes the
  // application's scrolls need, and readers of such a device ignore the plain wheel.
  const libevdev* mouse = device_.handle();
  const bool lacksHiRes = !libevdev_has_event_code(mouse, EV_REL, REL_WHEEL_HI_RES) &&
                          !libevdev_has_event_code(mouse, EV_REL, REL_HWHEEL_HI_RES);
  forwarder_.setOutput(cloneFd_.get(), cloneIds_.fetch_add(1) + 1, lacksHiRes);
}

void DeviceReader::dropClone() {
  forwarder_.setOutput(-1);
  cloneFd_.reset();
}

void DeviceReader::forwardEvents(std::span<const input_event> events) {
  if (filter_.filter == nullptr || forwarder_.forward(events)) {
    return;
  }
  log_(TACTORA_EVDEV_LOG_ERROR, "writing to the mouse's clone failed; forwarding stopped");
  device_.ungrab();
  exclusive_.store(false, std::memory_order_release);
  dropClone();
}

void DeviceReader::deliverFrame(const platform::FrameAssembler& frame) {
  const MTContactFrameCallback callback = callback_.load(std::memory_order_acquire);
  if (callback != nullptr) {
    callback(ref_, frame.records(), frame.recordCount(), frame.frameTimeSeconds(),
             frame.frameNumber());
  }
}

}  // namespace tactora::lx
