#pragma once

#include <libudev.h>

#include <memory>

namespace tactora::lx {

// Owning pointers for the udev objects we enumerate and look up; each drops its reference when
// it goes.
struct UdevDeviceFree {
  void operator()(udev_device* device) const { udev_device_unref(device); }
};
struct UdevEnumerateFree {
  void operator()(udev_enumerate* enumerate) const { udev_enumerate_unref(enumerate); }
};
using UdevDevicePtr = std::unique_ptr<udev_device, UdevDeviceFree>;
using UdevEnumeratePtr = std::unique_ptr<udev_enumerate, UdevEnumerateFree>;

}  // namespace tactora::lx
