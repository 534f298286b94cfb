#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "Platform/MultitouchProvider.h"
#include "Platform/linux/PollThread.h"
#include "Platform/linux/input/DeviceReader.h"
#include "Platform/linux/input/ReportFilter.h"
#include "Platform/linux/input/UdevContext.h"

namespace tactora::lx {

// The state behind the evdev provider's C symbols: the listed devices (a started one is listed as
// itself again), the delivery thread of each started one, and a udev monitor that ends the contacts
// of a device that leaves and starts reading it again when it comes back. The monitor and its
// thread exist while a device is started: once the last one stops, no thread of ours runs. The
// provider library holds one.
class EvdevMultitouch {
 public:
  static constexpr const char* hotplugThreadName = "MTHotplug";

  EvdevMultitouch() = default;
  ~EvdevMultitouch();
  EvdevMultitouch(const EvdevMultitouch&) = delete;
  EvdevMultitouch& operator=(const EvdevMultitouch&) = delete;

  // A new list of every device with a touch surface that is not a touchscreen or our own.
  MTDeviceList* createList();
  static bool isBuiltIn(MTDeviceRef device);
  static std::int32_t familyID(MTDeviceRef device);
  static void surfaceDimensions(MTDeviceRef device, std::int32_t* width, std::int32_t* height);
  static void setCallback(MTDeviceRef device, MTContactFrameCallback callback, bool registering);
  // 0, or -1 when the node cannot be opened (logged). A started device that is still reading is
  // left as it is; one whose node went away is opened again.
  std::int32_t start(MTDeviceRef device);
  void stop(MTDeviceRef device);

  void setReportFilter(ReportFilter filter);
  // Writes a report of the application's to the clone of a held mouse. See
  // TactoraEvdevWritePointerEvents.
  std::uint64_t writePointerEvents(std::span<const input_event> events, std::uint64_t cloneId);
  void setLog(ReaderLog log) { log_ = log; }

 private:
  struct Device;
  static Device* deviceOf(MTDeviceRef ref);
  // The started device reading the node `facts` describes, if any.
  Device* startedDevice(const DeviceFacts& facts);
  static void destroyDevice(MTObject* object);
  static void destroyList(MTObject* object);
  // The monitor's thread, taken out of the provider to be stopped outside the lock.
  using HotplugWatch = std::unique_ptr<PollThread>;
  void forget(Device* device);
  // Starts listening to udev before a device is opened (a mouse that leaves at once is still
  // seen leaving). When udev cannot give a monitor, says so once and carries on without.
  void ensureHotplugThread();
  // Under the lock: the watch to stop when no device is started any more.
  HotplugWatch takeIdleHotplugLocked();
  static void stopHotplug(HotplugWatch watch);
  void runHotplug(const UdevContext::Monitor& monitor, PollThread& thread);
  void handleChange(const UdevContext::Change& change);

  std::mutex mutex_;
  std::vector<Device*> started_;  // started devices, each alive while listed here
  ReportFilter filter_;
  ReaderLog log_ = nullptr;
  HotplugWatch hotplug_;
  bool hotplugUnavailableLogged_ = false;
  std::atomic<std::uint64_t> cloneIds_{0};
};

}  // namespace tactora::lx
