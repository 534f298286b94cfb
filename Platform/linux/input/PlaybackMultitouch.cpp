#include "Platform/linux/input/PlaybackMultitouch.h"

#include <libevdev/libevdev.h>
#include <pthread.h>

#include <atomic>
#include <memory>
#include <vector>

#include "Platform/evdev/EvemuReader.h"
#include "Platform/linux/input/EvdevDevice.h"

namespace tactora::lx {

struct PlaybackMultitouch::Device {
  MTObject object{};
  PlaybackMultitouch* owner = nullptr;
  std::atomic<MTContactFrameCallback> callback{nullptr};
};

namespace {

struct DeviceList {
  MTDeviceList list{};
  std::vector<MTDeviceRef> entries;
};

// The event types whose codes say what a device is (its keys, wheels and axes).
constexpr unsigned describedTypes[] = {EV_KEY, EV_REL, EV_ABS, EV_MSC};

// The recorded device as libevdev would describe the live one, without a node behind it, so that
// the same code reads its facts: its role, and the Magic Mouse's swapped resolutions.
DeviceFacts factsOf(const platform::EvemuRecording& recording, const std::string& path) {
  const std::unique_ptr<libevdev, void (*)(libevdev*)> evdev(libevdev_new(), libevdev_free);
  libevdev_set_name(evdev.get(), recording.name.c_str());
  if (recording.id) {
    libevdev_set_id_bustype(evdev.get(), recording.id->bustype);
    libevdev_set_id_vendor(evdev.get(), recording.id->vendor);
    libevdev_set_id_product(evdev.get(), recording.id->product);
    libevdev_set_id_version(evdev.get(), recording.id->version);
  }
  auto eachBit = [](const std::vector<std::uint8_t>& bytes, auto&& use) {
    for (std::size_t byte = 0; byte < bytes.size(); ++byte) {
      for (unsigned bit = 0; bit < 8; ++bit) {
        if ((bytes[byte] >> bit) & 1u) {
          use(static_cast<unsigned>(byte * 8 + bit));
        }
      }
    }
  };
  eachBit(recording.properties,
          [&](unsigned property) { libevdev_enable_property(evdev.get(), property); });
  for (const unsigned type : describedTypes) {
    if (type >= recording.eventBits.size()) {
      continue;
    }
    eachBit(recording.eventBits[type], [&](unsigned code) {
      input_absinfo axis{};
      if (const platform::EvemuRecording::Axis* recorded =
              recording.axis(static_cast<std::uint16_t>(code))) {
        axis = {0,
                recorded->minimum,
                recorded->maximum,
                recorded->fuzz,
                recorded->flat,
                recorded->resolution};
      }
      libevdev_enable_event_code(evdev.get(), type, code, type == EV_ABS ? &axis : nullptr);
    });
  }
  return EvdevDevice::describe(path, evdev.get());
}

}  // namespace

PlaybackMultitouch::~PlaybackMultitouch() {
  std::lock_guard control(controlMutex_);
  pauseLocked();
}

std::optional<std::string> PlaybackMultitouch::load(const std::string& path) {
  if (loaded_) {
    return path + ": a recording is already loaded (" + path_ + ")";
  }
  platform::EvemuReader::Result read = platform::EvemuReader::readFile(path);
  if (!read) {
    return read.error().description();
  }
  platform::EvemuRecording recording = std::move(read).value();
  DeviceFacts facts = factsOf(recording, path);
  if (!facts.hasMultitouchAxes) {
    return path +
           ": not a multitouch recording: it has no ABS_MT_SLOT, ABS_MT_TRACKING_ID, "
           "ABS_MT_POSITION_X and ABS_MT_POSITION_Y axes";
  }
  path_ = path;
  recording_ = std::move(recording);
  facts_ = std::move(facts);
  processor_.emplace(facts_.touch, static_cast<ReportSink&>(*this));
  loaded_ = true;
  return std::nullopt;
}

PlaybackMultitouch::Device* PlaybackMultitouch::deviceOf(MTDeviceRef ref) {
  return ref != nullptr ? static_cast<Device*>(ref->owner) : nullptr;
}

void PlaybackMultitouch::destroyDevice(MTObject* object) {
  std::unique_ptr<Device> device(static_cast<Device*>(object->owner));
  device->owner->stop(object);
}

void PlaybackMultitouch::destroyList(MTObject* object) {
  std::unique_ptr<DeviceList> list(static_cast<DeviceList*>(object->owner));
  for (MTDeviceRef entry : list->entries) {
    MTObjectRelease(entry);
  }
}

MTDeviceList* PlaybackMultitouch::createList() {
  auto list = std::make_unique<DeviceList>();
  if (loaded_) {
    auto device = std::make_unique<Device>();
    device->owner = this;
    MTObjectInit(&device->object, destroyDevice, device.get());
    list->entries.push_back(&device.release()->object);
  }
  MTObjectInit(&list->list.object, destroyList, list.get());
  list->list.count = static_cast<std::int32_t>(list->entries.size());
  list->list.entries = list->entries.data();
  return &list.release()->list;
}

bool PlaybackMultitouch::isBuiltIn(MTDeviceRef ref) {
  const Device* device = deviceOf(ref);
  return device != nullptr && !isExternal(device->owner->facts_.role());
}

std::int32_t PlaybackMultitouch::familyID(MTDeviceRef ref) {
  const Device* device = deviceOf(ref);
  return device != nullptr ? device->owner->facts_.familyID() : -1;
}

void PlaybackMultitouch::surfaceDimensions(MTDeviceRef ref, std::int32_t* width,
                                           std::int32_t* height) {
  const Device* device = deviceOf(ref);
  if (device != nullptr && width != nullptr && height != nullptr) {
    *width = device->owner->facts_.widthHundredthsMM();
    *height = device->owner->facts_.heightHundredthsMM();
  }
}

void PlaybackMultitouch::setCallback(MTDeviceRef ref, MTContactFrameCallback callback,
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

std::int32_t PlaybackMultitouch::start(MTDeviceRef ref) {
  Device* device = deviceOf(ref);
  if (device == nullptr || !loaded_) {
    return -1;
  }
  std::lock_guard control(controlMutex_);
  if (playing_ == device) {
    return 0;
  }
  // One device plays at a time; a playback that has ended is collected here too.
  pauseLocked();
  if (next_ == recording_.events.size()) {
    return 0;
  }
  if (!startedAt_) {
    startedAt_ = Clock::now();
    logLine(TACTORA_EVDEV_LOG_DEFAULT, "playing " + path_ + " in the mouse's place (" +
                                           std::to_string(recording_.events.size()) + " events)");
  }
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = false;
    forwarder_.emplace(filter_);
  }
  playing_ = device;
  thread_ = std::thread([this] { run(); });
  return 0;
}

void PlaybackMultitouch::stop(MTDeviceRef ref) {
  std::lock_guard control(controlMutex_);
  if (Device* device = deviceOf(ref); device != nullptr && device == playing_) {
    pauseLocked();
  }
}

void PlaybackMultitouch::pauseLocked() {
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  wake_.notify_all();
  // Joined without the state lock: the thread may be inside the frame callback.
  if (thread_.joinable()) {
    thread_.join();
  }
  playing_ = nullptr;
}

void PlaybackMultitouch::setReportFilter(ReportFilter filter) {
  std::lock_guard lock(mutex_);
  filter_ = filter;
}

PlaybackMultitouch::Clock::time_point PlaybackMultitouch::dueTime(std::size_t index) const {
  const auto& events = recording_.events;
  return *startedAt_ + std::chrono::microseconds(events[index].timeMicroseconds -
                                                 events.front().timeMicroseconds);
}

void PlaybackMultitouch::run() {
  ::pthread_setname_np(::pthread_self(), threadName);
  const auto& events = recording_.events;
  while (next_ < events.size()) {
    {
      std::unique_lock lock(mutex_);
      if (wake_.wait_until(lock, dueTime(next_), [this] { return stopRequested_; })) {
        return;
      }
    }
    // Everything due by now, which is at least the whole report whose time has come: the events
    // of one report share their time.
    const Clock::time_point now = Clock::now();
    while (next_ < events.size() && dueTime(next_) <= now) {
      feed(events[next_], dueTime(next_));
      ++next_;
    }
  }
  const Clock::time_point end = dueTime(events.size() - 1);
  processor_->endEverything(std::chrono::duration<double>(end.time_since_epoch()).count());
  logLine(TACTORA_EVDEV_LOG_DEFAULT,
          path_ + " has played to its end; Tactora goes on running until it is quit");
}

void PlaybackMultitouch::feed(const platform::EvemuRecording::Event& recorded,
                              Clock::time_point due) {
  // The recorded times moved onto the monotonic clock, as the kernel stamps the live mouse's.
  const auto sinceBoot =
      std::chrono::duration_cast<std::chrono::microseconds>(due.time_since_epoch());
  input_event event{};
  event.input_event_sec = static_cast<decltype(event.input_event_sec)>(sinceBoot.count() / 1000000);
  event.input_event_usec =
      static_cast<decltype(event.input_event_usec)>(sinceBoot.count() % 1000000);
  event.type = recorded.type;
  event.code = recorded.code;
  event.value = recorded.value;
  processor_->handleEvent(event, std::chrono::duration<double>(sinceBoot).count());
}

void PlaybackMultitouch::logLine(int level, const std::string& line) const {
  if (log_ != nullptr) {
    log_(level, line.c_str());
  }
}

void PlaybackMultitouch::forwardEvents(std::span<const input_event> events) {
  forwarder_->forward(events);
}

void PlaybackMultitouch::deliverFrame(const platform::FrameAssembler& frame) {
  const MTContactFrameCallback callback = playing_->callback.load(std::memory_order_acquire);
  if (callback != nullptr) {
    callback(&playing_->object, frame.records(), frame.recordCount(), frame.frameTimeSeconds(),
             frame.frameNumber());
  }
}

}  // namespace tactora::lx
