#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/MultitouchProvider.h"
#include "Platform/linux/input/DeviceReader.h"
#include "Platform/linux/input/ReportFilter.h"
#include "Platform/linux/input/UdevContext.h"
#include "Platform/linux/input/UniqueFd.h"

namespace tactora::lx {

// The state behind the evdev provider's C symbols: the listed devices, the delivery thread of
// each started one, and a udev monitor that ends the contacts of a device that leaves and starts
// reading it again when it comes back. The provider library holds one.
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
  // 0, or -1 when the node cannot be opened (logged).
  std::int32_t start(MTDeviceRef device);
  void stop(MTDeviceRef device);

  void setReportFilter(ReportFilter filter);
  void setLog(ReaderLog log) { log_ = log; }

 private:
  struct Device;
  static Device* deviceOf(MTDeviceRef ref);
  static void destroyDevice(MTObject* object);
  static void destroyList(MTObject* object);
  void forget(Device* device);
  void ensureHotplugThread();
  void runHotplug();
  void handleChange(const UdevContext::Change& change);

  std::mutex mutex_;
  std::vector<Device*> started_;  // started devices, each alive while listed here
  ReportFilter filter_;
  ReaderLog log_ = nullptr;
  UniqueFd hotplugWake_;
  std::thread hotplugThread_;
};

}  // namespace tactora::lx
