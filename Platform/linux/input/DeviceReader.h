#pragma once

#include <atomic>
#include <mutex>
#include <optional>

#include "Platform/MultitouchProvider.h"
#include "Platform/UniqueFd.h"
#include "Platform/linux/PollThread.h"
#include "Platform/linux/input/EvdevDevice.h"
#include "Platform/linux/input/ReportFilter.h"
#include "Platform/linux/input/ReportForwarder.h"
#include "Platform/linux/input/ReportProcessor.h"

namespace tactora::lx {

// The delivery thread of one started device: waits in poll() on the node (and on its poll
// thread's wake-up descriptor), reads every queued event through libevdev (resynchronising after
// SYN_DROPPED), hands the mouse's own events to the report filter (and, when it holds the mouse, on
// to the uinput clone) and each frame to the registered callback. When the node goes away it
// releases every held button and ends every contact in one last report, then ends.
class DeviceReader final : private ReportSink {
 public:
  static constexpr const char* threadName = "MTDelivery";

  // `callback` is the device's registration, read for every frame (it may change while running).
  // `cloneIds` numbers the clones of every reader of the provider, so no two share an id.
  DeviceReader(EvdevDevice device, MTDeviceRef ref,
               const std::atomic<MTContactFrameCallback>& callback, ReportFilter filter,
               ReaderLog log, std::atomic<std::uint64_t>& cloneIds);
  // Stops the thread (without ending contacts: the pipeline stopped the device itself).
  ~DeviceReader();
  DeviceReader(const DeviceReader&) = delete;
  DeviceReader& operator=(const DeviceReader&) = delete;

  // The udev monitor saw the node go: end every contact and stop, from the delivery thread.
  void markLost();
  // The thread ended because the device is gone.
  bool hasEnded() const { return ended_.load(std::memory_order_acquire); }
  const DeviceFacts& facts() const { return device_.facts(); }
  // Whether the mouse is held by us (grab taken and clone created); for tests and `devices`.
  bool isExclusive() const { return exclusive_.load(std::memory_order_acquire); }
  // Writes a report of the application's to the mouse's clone, between forwarded reports; from
  // any thread. See TactoraEvdevWritePointerEvents.
  std::uint64_t writePointerEvents(std::span<const input_event> events, std::uint64_t cloneId) {
    return forwarder_.inject(events, cloneId);
  }

 private:
  // Told by the hot-plug watch: the node is gone.
  static constexpr std::uint64_t lossRequest = 1;

  void run(PollThread& thread);
  // Reads until the queue is empty; false when the node is gone.
  bool drain();
  void lose();
  void tryTakeMouse();
  // Stops writing to the clone, then destroys it (the kernel releases what it held).
  void dropClone();
  double eventTime(const input_event& event);

  // ReportSink
  void forwardEvents(std::span<const input_event> events) override;
  void deliverFrame(const platform::FrameAssembler& frame) override;

  EvdevDevice device_;
  MTDeviceRef ref_;
  const std::atomic<MTContactFrameCallback>& callback_;
  ReportFilter filter_;
  ReaderLog log_;
  std::atomic<std::uint64_t>& cloneIds_;
  ReportProcessor processor_;
  ReportForwarder forwarder_;
  platform::UniqueFd cloneFd_;
  bool monotonicTimes_ = false;
  bool grabPending_ = false;          // exclusive wanted, waiting for every button to be up
  std::optional<double> reportTime_;  // one clock read per report when the kernel's is not ours
  std::atomic<bool> exclusive_{false};
  std::atomic<bool> ended_{false};
  PollThread thread_;
};

}  // namespace tactora::lx
