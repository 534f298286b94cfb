// The sim multitouch provider: exports the eleven multitouch symbols over devices that tests and
// the replay driver script through the SimMT... functions (see SimMultitouch.h). Frames go to the
// registered callback synchronously, on the thread that delivers or feeds them.

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/MultitouchProvider.h"
#include "Platform/evdev/FrameAssembler.h"
#include "Platform/sim/provider/SimMultitouch.h"

#define SIM_MT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<std::int32_t> gLiveObjects{0};

struct SimDevice {
  MTObject object{};
  bool builtIn = false;
  std::int32_t familyID = 0;
  std::int32_t widthHundredthsMM = 0;
  std::int32_t heightHundredthsMM = 0;
  // Guarded by gMutex.
  MTContactFrameCallback callback = nullptr;
  bool started = false;
  std::int32_t startCount = 0;
  std::int32_t frameNumber = 0;
  // Used only by the one thread that feeds this device.
  std::optional<tactora::platform::FrameAssembler> assembler;
};

struct SimDeviceList {
  MTDeviceList list{};
  std::vector<MTDeviceRef> entries;
};

std::mutex gMutex;
std::vector<MTDeviceRef> gListed;  // the provider's own reference to each listed device
bool gListAvailable = true;

SimDevice* simDevice(MTDeviceRef ref) {
  return ref != nullptr ? static_cast<SimDevice*>(ref->owner) : nullptr;
}

void destroyDevice(MTObject* object) {
  std::unique_ptr<SimDevice> device(static_cast<SimDevice*>(object->owner));
  --gLiveObjects;
}

void destroyList(MTObject* object) {
  std::unique_ptr<SimDeviceList> list(static_cast<SimDeviceList*>(object->owner));
  for (MTDeviceRef entry : list->entries) {
    MTObjectRelease(entry);
  }
  --gLiveObjects;
}

// A retained reference to listed device `index`, or nothing.
MTDeviceRef retainListed(std::int32_t index) {
  std::lock_guard lock(gMutex);
  if (index < 0 || static_cast<std::size_t>(index) >= gListed.size()) {
    return nullptr;
  }
  return MTObjectRetain(gListed[static_cast<std::size_t>(index)]);
}

// Hands one frame to the device's callback, outside the provider's lock.
bool deliver(MTDeviceRef ref, const void* records, std::int32_t count, double frameTimeSeconds) {
  SimDevice* device = simDevice(ref);
  MTContactFrameCallback callback = nullptr;
  std::int32_t frameNumber = 0;
  {
    std::lock_guard lock(gMutex);
    if (device->callback == nullptr || !device->started) {
      return false;
    }
    callback = device->callback;
    frameNumber = ++device->frameNumber;
  }
  callback(ref, records, count, frameTimeSeconds, frameNumber);
  return true;
}

// Runs `body` with a device of the list, or answers `fallback` for an unknown one.
template <class Body, class Result>
Result withDevice(std::int32_t index, Result fallback, Body body) {
  MTDeviceRef ref = retainListed(index);
  if (ref == nullptr) {
    return fallback;
  }
  Result result = body(ref, *simDevice(ref));
  MTObjectRelease(ref);
  return result;
}

}  // namespace

// The multitouch symbols.

SIM_MT_EXPORT MTDeviceList* MTDeviceCreateList(void) {
  std::lock_guard lock(gMutex);
  if (!gListAvailable) {
    return nullptr;
  }
  auto list = std::make_unique<SimDeviceList>();
  for (MTDeviceRef entry : gListed) {
    list->entries.push_back(MTObjectRetain(entry));
  }
  MTObjectInit(&list->list.object, destroyList, list.get());
  list->list.count = static_cast<std::int32_t>(list->entries.size());
  list->list.entries = list->entries.data();
  ++gLiveObjects;
  return &list.release()->list;
}

SIM_MT_EXPORT MTDeviceRef MTDeviceCreateDefault(void) {
  std::lock_guard lock(gMutex);
  for (MTDeviceRef entry : gListed) {
    if (entry != nullptr && !simDevice(entry)->builtIn) {
      return MTObjectRetain(entry);
    }
  }
  return nullptr;
}

SIM_MT_EXPORT void MTDeviceRelease(MTDeviceRef device) {
  MTObjectRelease(device);
}

SIM_MT_EXPORT bool MTDeviceIsBuiltIn(MTDeviceRef device) {
  return device != nullptr && simDevice(device)->builtIn;
}

SIM_MT_EXPORT int32_t MTDeviceGetFamilyID(MTDeviceRef device, int32_t* familyID) {
  if (device == nullptr || familyID == nullptr) {
    return -1;
  }
  *familyID = simDevice(device)->familyID;
  return 0;
}

SIM_MT_EXPORT int32_t MTDeviceGetSensorSurfaceDimensions(MTDeviceRef device, int32_t* width,
                                                         int32_t* height) {
  if (device == nullptr || width == nullptr || height == nullptr) {
    return -1;
  }
  std::lock_guard lock(gMutex);
  *width = simDevice(device)->widthHundredthsMM;
  *height = simDevice(device)->heightHundredthsMM;
  return 0;
}

SIM_MT_EXPORT void MTRegisterContactFrameCallback(MTDeviceRef device,
                                                  MTContactFrameCallback callback) {
  if (device != nullptr) {
    std::lock_guard lock(gMutex);
    simDevice(device)->callback = callback;
  }
}

SIM_MT_EXPORT void MTUnregisterContactFrameCallback(MTDeviceRef device,
                                                    MTContactFrameCallback callback) {
  if (device != nullptr) {
    std::lock_guard lock(gMutex);
    if (simDevice(device)->callback == callback) {
      simDevice(device)->callback = nullptr;
    }
  }
}

SIM_MT_EXPORT int32_t MTDeviceStart(MTDeviceRef device, int32_t /*runMode*/) {
  if (device == nullptr) {
    return -1;
  }
  std::lock_guard lock(gMutex);
  simDevice(device)->started = true;
  ++simDevice(device)->startCount;
  return 0;
}

SIM_MT_EXPORT int32_t MTDeviceStop(MTDeviceRef device) {
  if (device == nullptr) {
    return -1;
  }
  std::lock_guard lock(gMutex);
  simDevice(device)->started = false;
  return 0;
}

SIM_MT_EXPORT int32_t MTDeviceGetDeviceID(MTDeviceRef device, uint64_t* deviceID) {
  if (device == nullptr || deviceID == nullptr) {
    return -1;
  }
  *deviceID = reinterpret_cast<std::uintptr_t>(device);
  return 0;
}

// The scripting functions.

SIM_MT_EXPORT void SimMTReset(void) {
  std::vector<MTDeviceRef> listed;
  {
    std::lock_guard lock(gMutex);
    listed.swap(gListed);
    gListAvailable = true;
  }
  for (MTDeviceRef entry : listed) {
    MTObjectRelease(entry);
  }
}

SIM_MT_EXPORT int32_t SimMTAddDevice(bool builtIn, int32_t familyID, int32_t widthHundredthsMM,
                                     int32_t heightHundredthsMM) {
  auto device = std::make_unique<SimDevice>();
  device->builtIn = builtIn;
  device->familyID = familyID;
  device->widthHundredthsMM = widthHundredthsMM;
  device->heightHundredthsMM = heightHundredthsMM;
  MTObjectInit(&device->object, destroyDevice, device.get());
  ++gLiveObjects;
  std::lock_guard lock(gMutex);
  gListed.push_back(&device.release()->object);
  return static_cast<int32_t>(gListed.size() - 1);
}

SIM_MT_EXPORT int32_t SimMTAddEmptyEntry(void) {
  std::lock_guard lock(gMutex);
  gListed.push_back(nullptr);
  return static_cast<int32_t>(gListed.size() - 1);
}

SIM_MT_EXPORT void SimMTSetListAvailable(bool available) {
  std::lock_guard lock(gMutex);
  gListAvailable = available;
}

SIM_MT_EXPORT bool SimMTConfigureEvdev(int32_t index, const SimMTEvdevDevice* evdev) {
  if (evdev == nullptr) {
    return false;
  }
  return withDevice(index, false, [&](MTDeviceRef, SimDevice& device) {
    tactora::platform::EvdevTouchDevice info;
    info.vendor = evdev->vendor;
    info.product = evdev->product;
    info.positionX = {evdev->xMinimum, evdev->xMaximum, evdev->xResolution};
    info.positionY = {evdev->yMinimum, evdev->yMaximum, evdev->yResolution};
    info.initialSlot = evdev->initialSlot;
    device.assembler.emplace(info);
    const tactora::platform::SurfaceSizeMM size = device.assembler->surfaceSizeMM();
    std::lock_guard lock(gMutex);
    device.widthHundredthsMM = static_cast<int32_t>(size.widthMM * 100.0f + 0.5f);
    device.heightHundredthsMM = static_cast<int32_t>(size.depthMM * 100.0f + 0.5f);
    return true;
  });
}

SIM_MT_EXPORT int32_t SimMTDeliverFrame(int32_t index, const void* records, int32_t count,
                                        double frameTimeSeconds) {
  return withDevice(index, 0, [&](MTDeviceRef ref, SimDevice&) {
    return deliver(ref, records, count, frameTimeSeconds) ? 1 : 0;
  });
}

SIM_MT_EXPORT int32_t SimMTFeedEvdev(int32_t index, double timeSeconds, uint16_t type,
                                     uint16_t code, int32_t value) {
  return withDevice(index, 0, [&](MTDeviceRef ref, SimDevice& device) {
    if (!device.assembler || !device.assembler->handleEvent(timeSeconds, type, code, value)) {
      return 0;
    }
    const tactora::platform::FrameAssembler& frame = *device.assembler;
    return deliver(ref, frame.records(), frame.recordCount(), frame.frameTimeSeconds()) ? 1 : 0;
  });
}

SIM_MT_EXPORT bool SimMTIsRegistered(int32_t index) {
  return withDevice(index, false, [](MTDeviceRef, SimDevice& device) {
    std::lock_guard lock(gMutex);
    return device.callback != nullptr;
  });
}

SIM_MT_EXPORT bool SimMTIsStarted(int32_t index) {
  return withDevice(index, false, [](MTDeviceRef, SimDevice& device) {
    std::lock_guard lock(gMutex);
    return device.started;
  });
}

SIM_MT_EXPORT int32_t SimMTStartCount(int32_t index) {
  return withDevice(index, 0, [](MTDeviceRef, SimDevice& device) {
    std::lock_guard lock(gMutex);
    return device.startCount;
  });
}

SIM_MT_EXPORT int32_t SimMTLiveObjects(void) {
  return gLiveObjects.load();
}
