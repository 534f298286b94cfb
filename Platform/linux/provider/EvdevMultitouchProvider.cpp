// The evdev multitouch provider: exports the eleven multitouch symbols over the input devices
// with a touch surface, and the seam through which the application's taps see the mouse's own
// events (EvdevProvider.h). Frames are delivered on one thread per started device.

#include "Platform/MultitouchProvider.h"
#include "Platform/linux/input/EvdevMultitouch.h"
#include "Platform/linux/provider/EvdevProvider.h"
#include "Platform/linux/provider/ProviderLog.h"

#define EVDEV_MT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The provider's one instance, created on first use and kept for the life of the process (the
// bridge never unloads a provider).
tactora::lx::EvdevMultitouch& provider() {
  static auto* instance = [] {
    auto* created = new tactora::lx::EvdevMultitouch();
    created->setLog(tactora::lx::ProviderLog::write);
    return created;
  }();
  return *instance;
}

}  // namespace

EVDEV_MT_EXPORT MTDeviceList* MTDeviceCreateList(void) {
  return provider().createList();
}

EVDEV_MT_EXPORT MTDeviceRef MTDeviceCreateDefault(void) {
  MTDeviceList* list = provider().createList();
  if (list == nullptr) {
    return nullptr;
  }
  MTDeviceRef chosen = nullptr;
  for (int32_t i = 0; i < list->count && chosen == nullptr; ++i) {
    if (list->entries[i] != nullptr && !tactora::lx::EvdevMultitouch::isBuiltIn(list->entries[i])) {
      chosen = MTObjectRetain(list->entries[i]);
    }
  }
  MTObjectRelease(&list->object);
  return chosen;
}

EVDEV_MT_EXPORT void MTDeviceRelease(MTDeviceRef device) {
  MTObjectRelease(device);
}

EVDEV_MT_EXPORT bool MTDeviceIsBuiltIn(MTDeviceRef device) {
  return tactora::lx::EvdevMultitouch::isBuiltIn(device);
}

EVDEV_MT_EXPORT int32_t MTDeviceGetFamilyID(MTDeviceRef device, int32_t* familyID) {
  if (device == nullptr || familyID == nullptr) {
    return -1;
  }
  *familyID = tactora::lx::EvdevMultitouch::familyID(device);
  return 0;
}

EVDEV_MT_EXPORT int32_t MTDeviceGetSensorSurfaceDimensions(MTDeviceRef device, int32_t* width,
                                                           int32_t* height) {
  if (device == nullptr || width == nullptr || height == nullptr) {
    return -1;
  }
  tactora::lx::EvdevMultitouch::surfaceDimensions(device, width, height);
  return 0;
}

EVDEV_MT_EXPORT void MTRegisterContactFrameCallback(MTDeviceRef device,
                                                    MTContactFrameCallback callback) {
  tactora::lx::EvdevMultitouch::setCallback(device, callback, true);
}

EVDEV_MT_EXPORT void MTUnregisterContactFrameCallback(MTDeviceRef device,
                                                      MTContactFrameCallback callback) {
  tactora::lx::EvdevMultitouch::setCallback(device, callback, false);
}

EVDEV_MT_EXPORT int32_t MTDeviceStart(MTDeviceRef device, int32_t /*runMode*/) {
  return provider().start(device);
}

EVDEV_MT_EXPORT int32_t MTDeviceStop(MTDeviceRef device) {
  provider().stop(device);
  return 0;
}

EVDEV_MT_EXPORT int32_t MTDeviceGetDeviceID(MTDeviceRef device, uint64_t* deviceID) {
  if (device == nullptr || deviceID == nullptr) {
    return -1;
  }
  *deviceID = reinterpret_cast<std::uintptr_t>(device);
  return 0;
}

EVDEV_MT_EXPORT void TactoraEvdevSetReportFilter(TactoraEvdevReportFilter filter, void* context,
                                                 bool exclusive) {
  provider().setReportFilter({filter, context, exclusive});
}

EVDEV_MT_EXPORT uint64_t TactoraEvdevWritePointerEvents(const struct input_event* events,
                                                        size_t count, uint64_t clone) {
  if (events == nullptr || count == 0) {
    return 0;
  }
  return provider().writePointerEvents({events, count}, clone);
}

EVDEV_MT_EXPORT void TactoraEvdevSetLogHandler(TactoraEvdevLogHandler handler, void* context) {
  tactora::lx::ProviderLog::install(handler, context);
}
