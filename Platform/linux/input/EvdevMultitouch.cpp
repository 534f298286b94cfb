#include "Platform/linux/input/EvdevMultitouch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "Platform/linux/input/DeviceDiscovery.h"

namespace tactora::lx {

struct EvdevMultitouch::Device {
  MTObject object{};
  EvdevMultitouch* owner = nullptr;
  DeviceFacts facts;
  std::atomic<MTContactFrameCallback> callback{nullptr};
  // Under the owner's mutex.
  bool started = false;
  std::unique_ptr<DeviceReader> reader;
};

namespace {

struct DeviceList {
  MTDeviceList list{};
  std::vector<MTDeviceRef> entries;
};

void logLine(ReaderLog log, int level, const std::string& line) {
  if (log != nullptr) {
    log(level, line.c_str());
  }
}

}  // namespace

EvdevMultitouch::~EvdevMultitouch() {
  stopHotplug(std::move(hotplug_));
}

EvdevMultitouch::Device* EvdevMultitouch::deviceOf(MTDeviceRef ref) {
  return ref != nullptr ? static_cast<Device*>(ref->owner) : nullptr;
}

void EvdevMultitouch::destroyDevice(MTObject* object) {
  std::unique_ptr<Device> device(static_cast<Device*>(object->owner));
  device->owner->forget(device.get());
}

void EvdevMultitouch::destroyList(MTObject* object) {
  std::unique_ptr<DeviceList> list(static_cast<DeviceList*>(object->owner));
  for (MTDeviceRef entry : list->entries) {
    MTObjectRelease(entry);
  }
}

MTDeviceList* EvdevMultitouch::createList() {
  UdevContext udev;
  if (!udev.valid()) {
    return nullptr;
  }
  auto list = std::make_unique<DeviceList>();
  for (const DiscoveredDevice& found : DeviceDiscovery::discover(udev)) {
    if (!found.facts) {
      logLine(log_, TACTORA_EVDEV_LOG_DEFAULT,
              "cannot read " + found.node + " (" + found.problem +
                  "); the udev rule 69-tactora.rules grants the Magic Mouse to the logged-in user");
      continue;
    }
    if (!isListed(found.role())) {
      continue;
    }
    // A device that is started is listed as itself, so that starting it again (the pipeline's
    // watchdog re-opening a quiet mouse) keeps it running: no grab dropped, no clone gone.
    if (Device* running = startedDevice(*found.facts)) {
      list->entries.push_back(MTObjectRetain(&running->object));
      continue;
    }
    auto device = std::make_unique<Device>();
    device->owner = this;
    device->facts = *found.facts;
    MTObjectInit(&device->object, destroyDevice, device.get());
    list->entries.push_back(&device.release()->object);
  }
  MTObjectInit(&list->list.object, destroyList, list.get());
  list->list.count = static_cast<std::int32_t>(list->entries.size());
  list->list.entries = list->entries.data();
  return &list.release()->list;
}

bool EvdevMultitouch::isBuiltIn(MTDeviceRef ref) {
  const Device* device = deviceOf(ref);
  return device != nullptr && !isExternal(device->facts.role());
}

std::int32_t EvdevMultitouch::familyID(MTDeviceRef ref) {
  const Device* device = deviceOf(ref);
  return device != nullptr ? device->facts.familyID() : -1;
}

void EvdevMultitouch::surfaceDimensions(MTDeviceRef ref, std::int32_t* width,
                                        std::int32_t* height) {
  const Device* device = deviceOf(ref);
  if (device != nullptr && width != nullptr && height != nullptr) {
    *width = device->facts.widthHundredthsMM();
    *height = device->facts.heightHundredthsMM();
  }
}

void EvdevMultitouch::setCallback(MTDeviceRef ref, MTContactFrameCallback callback,
                                  bool registering) {
  Device* device = deviceOf(ref);
  if (device == nullptr) {
    return;
  }
  if (registering) {
    device->callback.store(callback, std::memory_order_release);
  } else {
    MTContactFrameCallback expected = callback;
    device->callback.compare_exchange_strong(expected, nullptr);
  }
}

EvdevMultitouch::Device* EvdevMultitouch::startedDevice(const DeviceFacts& facts) {
  std::lock_guard lock(mutex_);
  for (Device* device : started_) {
    if (device->facts.node == facts.node && device->facts.isSameDevice(facts)) {
      return device;
    }
  }
  return nullptr;
}

std::int32_t EvdevMultitouch::start(MTDeviceRef ref) {
  Device* device = deviceOf(ref);
  if (device == nullptr) {
    return -1;
  }
  {
    // Still reading: it carries on as it is. Only a device whose reader ended (the node went
    // away or failed) is opened again.
    std::lock_guard lock(mutex_);
    if (device->started && device->reader && !device->reader->hasEnded()) {
      return 0;
    }
  }
  ensureHotplugThread();
  EvdevDevice::OpenResult opened = EvdevDevice::open(device->facts.node);
  if (auto* error = std::get_if<SystemError>(&opened)) {
    HotplugWatch idle;
    {
      std::lock_guard lock(mutex_);
      idle = takeIdleHotplugLocked();
    }
    stopHotplug(std::move(idle));
    logLine(log_, TACTORA_EVDEV_LOG_ERROR,
            "cannot read " + device->facts.node + " (" + error->what +
                "); the udev rule 69-tactora.rules grants it to the logged-in user");
    return -1;
  }
  std::unique_ptr<DeviceReader> previous;
  {
    std::lock_guard lock(mutex_);
    if (device->started && device->reader && !device->reader->hasEnded()) {
      return 0;  // another thread started it meanwhile
    }
    previous = std::move(device->reader);
    device->reader = std::make_unique<DeviceReader>(std::move(std::get<EvdevDevice>(opened)), ref,
                                                    device->callback, filter_, log_, cloneIds_);
    if (!device->started) {
      device->started = true;
      started_.push_back(device);
    }
  }
  // A stop of the last other device, between the first call and now, took the watch away.
  ensureHotplugThread();
  return 0;
}

void EvdevMultitouch::stop(MTDeviceRef ref) {
  Device* device = deviceOf(ref);
  if (device == nullptr) {
    return;
  }
  std::unique_ptr<DeviceReader> reader;
  HotplugWatch idle;
  {
    std::lock_guard lock(mutex_);
    device->started = false;
    reader = std::move(device->reader);
    std::erase(started_, device);
    idle = takeIdleHotplugLocked();
  }
  // Both joined outside the lock: the delivery thread may be inside the frame callback, the
  // hotplug thread may be waiting for the lock. Once stop returns, no frame is delivered.
  reader.reset();
  stopHotplug(std::move(idle));
}

void EvdevMultitouch::forget(Device* device) {
  std::unique_ptr<DeviceReader> reader;
  HotplugWatch idle;
  {
    std::lock_guard lock(mutex_);
    reader = std::move(device->reader);
    std::erase(started_, device);
    idle = takeIdleHotplugLocked();
  }
  reader.reset();
  stopHotplug(std::move(idle));
}

void EvdevMultitouch::setReportFilter(ReportFilter filter) {
  std::lock_guard lock(mutex_);
  filter_ = filter;
}

std::uint64_t EvdevMultitouch::writePointerEvents(std::span<const input_event> events,
                                                  std::uint64_t cloneId) {
  // The lock keeps the readers alive while they write: stop() takes a reader out under it before
  // destroying it.
  std::lock_guard lock(mutex_);
  for (Device* device : started_) {
    if (device->reader) {
      if (const std::uint64_t took = device->reader->writePointerEvents(events, cloneId)) {
        return took;
      }
    }
  }
  return 0;
}

void EvdevMultitouch::ensureHotplugThread() {
  {
    std::lock_guard lock(mutex_);
    if (hotplug_) {
      return;
    }
    // The monitor is listening before this returns, so a removal that follows at once is seen.
    auto udev = std::make_shared<UdevContext>();
    std::shared_ptr<UdevContext::Monitor> monitor = udev->monitor();
    auto thread = std::make_unique<PollThread>();
    const auto watch = [this, udev, monitor](PollThread& self) { runHotplug(*monitor, self); };
    if (monitor && thread->start(hotplugThreadName, watch)) {
      hotplug_ = std::move(thread);
      return;
    }
    if (hotplugUnavailableLogged_) {
      return;
    }
    hotplugUnavailableLogged_ = true;
  }
  logLine(log_, TACTORA_EVDEV_LOG_ERROR,
          "cannot watch for the mouse coming and going (no udev monitor); a lost mouse is found "
          "again by the pipeline's watchdog");
}

EvdevMultitouch::HotplugWatch EvdevMultitouch::takeIdleHotplugLocked() {
  return started_.empty() ? std::move(hotplug_) : nullptr;
}

void EvdevMultitouch::stopHotplug(HotplugWatch watch) {
  watch.reset();  // stops and joins the thread
}

void EvdevMultitouch::runHotplug(const UdevContext::Monitor& monitor, PollThread& thread) {
  pollfd changes[1] = {{monitor.fd(), POLLIN, 0}};
  while (thread.wait(changes) == 0) {
    for (const UdevContext::Change& change : monitor.receive()) {
      handleChange(change);
    }
  }
}

void EvdevMultitouch::handleChange(const UdevContext::Change& change) {
  if (!change.added) {
    std::lock_guard lock(mutex_);
    for (Device* device : started_) {
      if (device->reader && device->reader->facts().node == change.node) {
        device->reader->markLost();
      }
    }
    return;
  }
  // A returning mouse gets a new node; the device the pipeline holds reads from it again.
  const std::optional<DeviceFacts> facts = DeviceDiscovery::describe(change.node, nullptr);
  if (!facts || !isListed(facts->role())) {
    return;
  }
  std::unique_ptr<DeviceReader> previous;
  {
    std::lock_guard lock(mutex_);
    auto returning = std::find_if(started_.begin(), started_.end(), [&](const Device* device) {
      const bool reading = device->reader && !device->reader->hasEnded();
      return !reading && device->facts.isSameDevice(*facts);
    });
    if (returning == started_.end()) {
      return;
    }
    EvdevDevice::OpenResult opened = EvdevDevice::open(change.node);
    if (std::holds_alternative<SystemError>(opened)) {
      return;
    }
    Device* device = *returning;
    previous = std::move(device->reader);
    device->facts = *facts;
    device->reader =
        std::make_unique<DeviceReader>(std::move(std::get<EvdevDevice>(opened)), &device->object,
                                       device->callback, filter_, log_, cloneIds_);
  }
  logLine(log_, TACTORA_EVDEV_LOG_DEFAULT, "the mouse is back at " + change.node);
}

}  // namespace tactora::lx
