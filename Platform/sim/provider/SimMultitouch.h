#pragma once

// Scripting of the sim multitouch provider. The provider is a shared library that the multitouch
// bridge opens by path; a test or the replay driver binds to the same library file through
// `SimMultitouch::bind`, which resolves the provider's extern "C" scripting functions from the
// already-loaded instance, so both sides see the same devices.

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "Platform/MultitouchProvider.h"
#include "Platform/PrivateLibrary.h"

extern "C" {

// An evdev device whose events the provider turns into frames (the replay path).
struct SimMTEvdevDevice {
  uint16_t vendor;
  uint16_t product;
  int32_t xMinimum, xMaximum, xResolution;
  int32_t yMinimum, yMaximum, yResolution;
  int32_t initialSlot;
};

// The scripting functions the provider exports. Device numbers count listed entries from 0,
// empty entries included.
void SimMTReset(void);
int32_t SimMTAddDevice(bool builtIn, int32_t familyID, int32_t widthHundredthsMM,
                       int32_t heightHundredthsMM);
int32_t SimMTAddEmptyEntry(void);
void SimMTSetListAvailable(bool available);
bool SimMTConfigureEvdev(int32_t device, const SimMTEvdevDevice* evdev);
int32_t SimMTDeliverFrame(int32_t device, const void* records, int32_t count,
                          double frameTimeSeconds);
int32_t SimMTFeedEvdev(int32_t device, double timeSeconds, uint16_t type, uint16_t code,
                       int32_t value);
bool SimMTIsRegistered(int32_t device);
bool SimMTIsStarted(int32_t device);
int32_t SimMTStartCount(int32_t device);
int32_t SimMTLiveObjects(void);
}

namespace tactora::sim {

// A client of the sim provider's scripting functions. Frames are delivered synchronously on the
// calling thread, as the provider's delivery thread; feed one device from one thread at a time.
class SimMultitouch {
 public:
  struct Contact {
    std::int32_t id = 0;
    std::int32_t state = MT_CONTACT_STATE_TOUCHING;
    float x = 0.5f;
    float y = 0.5f;
    float velocityX = 0;
    float velocityY = 0;
    float size = 1;
  };

  static constexpr const char* libraryName = "libTactoraSimProvider.so";

  // Where the built provider is: $TACTORA_SIM_PROVIDER, else the path compiled in as
  // TACTORA_SIM_PROVIDER_PATH, else $TACTORA_BINARY_DIR, else next to the running executable or
  // in its private library folder when installed.
  static std::string defaultPath() {
    if (const char* path = std::getenv("TACTORA_SIM_PROVIDER"); path != nullptr && *path) {
      return path;
    }
#ifdef TACTORA_SIM_PROVIDER_PATH
    return TACTORA_SIM_PROVIDER_PATH;
#else
    if (const char* dir = std::getenv("TACTORA_BINARY_DIR"); dir != nullptr && *dir) {
      return std::string(dir) + "/" + libraryName;
    }
    std::string exe(4096, '\0');
    const auto length = ::readlink("/proc/self/exe", exe.data(), exe.size());
    exe.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    if (std::string found = platform::PrivateLibrary::find(exe, libraryName); !found.empty()) {
      return found;
    }
    return exe.substr(0, exe.rfind('/') + 1) + libraryName;
#endif
  }

  // Opens the provider at `path` (a no-op when already loaded) and resolves the scripting
  // functions; nothing (with the loader's reason in `error`) when that fails.
  static std::optional<SimMultitouch> bind(const std::string& path, std::string* error = nullptr) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW);
    if (handle == nullptr) {
      if (error != nullptr) {
        const char* reason = ::dlerror();
        *error = reason != nullptr ? reason : "cannot open " + path;
      }
      return std::nullopt;
    }
    SimMultitouch sim;
    bool complete = true;
    auto resolve = [&](const char* name, auto& slot) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(::dlsym(handle, name));
      if (slot == nullptr) {
        complete = false;
        if (error != nullptr) {
          *error = std::string("missing symbol: ") + name;
        }
      }
    };
    resolve("SimMTReset", sim.reset_);
    resolve("SimMTAddDevice", sim.addDevice_);
    resolve("SimMTAddEmptyEntry", sim.addEmptyEntry_);
    resolve("SimMTSetListAvailable", sim.setListAvailable_);
    resolve("SimMTConfigureEvdev", sim.configureEvdev_);
    resolve("SimMTDeliverFrame", sim.deliverFrame_);
    resolve("SimMTFeedEvdev", sim.feedEvdev_);
    resolve("SimMTIsRegistered", sim.isRegistered_);
    resolve("SimMTIsStarted", sim.isStarted_);
    resolve("SimMTStartCount", sim.startCount_);
    resolve("SimMTLiveObjects", sim.liveObjects_);
    if (!complete) {
      return std::nullopt;
    }
    return sim;
  }

  // Forgets every device; references still held elsewhere stay valid but are no longer listed.
  void reset() const {
    reset_();
  }
  // Lists a device and returns its number. Sizes are in hundredths of a millimetre.
  std::int32_t addDevice(bool builtIn, std::int32_t familyID = 112,
                         std::int32_t widthHundredthsMM = 5150,
                         std::int32_t heightHundredthsMM = 9050) const {
    return addDevice_(builtIn, familyID, widthHundredthsMM, heightHundredthsMM);
  }
  std::int32_t addEmptyEntry() const {
    return addEmptyEntry_();
  }
  // With false the device list itself cannot be created.
  void setListAvailable(bool available) const {
    setListAvailable_(available);
  }
  // Makes the device assemble frames from evdev events; its surface size follows the axes.
  bool configureEvdev(std::int32_t device, const SimMTEvdevDevice& evdev) const {
    return configureEvdev_(device, &evdev);
  }

  // Delivers one frame to the device's callback when it is registered and started.
  bool deliverFrame(std::int32_t device, std::span<const Contact> contacts,
                    double frameTimeSeconds) const {
    // A frame without contacts still points at (empty) records, as a device's frames do.
    std::vector<unsigned char> records(std::max<std::size_t>(contacts.size(), 1) *
                                       MT_CONTACT_RECORD_SIZE);
    for (std::size_t i = 0; i < contacts.size(); ++i) {
      const Contact& c = contacts[i];
      MTWriteContactRecord(&records[i * MT_CONTACT_RECORD_SIZE], c.id, c.state, c.x, c.y,
                           c.velocityX, c.velocityY, c.size);
    }
    return deliverRawFrame(device, records.data(), static_cast<std::int32_t>(contacts.size()),
                           frameTimeSeconds);
  }
  bool deliverRawFrame(std::int32_t device, const void* records, std::int32_t count,
                       double frameTimeSeconds) const {
    return deliverFrame_(device, records, count, frameTimeSeconds) != 0;
  }
  // Feeds one evdev event; true when it completed a frame that reached the callback.
  bool feedEvdev(std::int32_t device, double timeSeconds, std::uint16_t type, std::uint16_t code,
                 std::int32_t value) const {
    return feedEvdev_(device, timeSeconds, type, code, value) != 0;
  }

  bool isRegistered(std::int32_t device) const {
    return isRegistered_(device);
  }
  bool isStarted(std::int32_t device) const {
    return isStarted_(device);
  }
  std::int32_t startCount(std::int32_t device) const {
    return startCount_(device);
  }
  // Devices and device lists not yet destroyed (a leak shows up here).
  std::int32_t liveObjects() const {
    return liveObjects_();
  }

 private:
  SimMultitouch() = default;

  decltype(&SimMTReset) reset_ = nullptr;
  decltype(&SimMTAddDevice) addDevice_ = nullptr;
  decltype(&SimMTAddEmptyEntry) addEmptyEntry_ = nullptr;
  decltype(&SimMTSetListAvailable) setListAvailable_ = nullptr;
  decltype(&SimMTConfigureEvdev) configureEvdev_ = nullptr;
  decltype(&SimMTDeliverFrame) deliverFrame_ = nullptr;
  decltype(&SimMTFeedEvdev) feedEvdev_ = nullptr;
  decltype(&SimMTIsRegistered) isRegistered_ = nullptr;
  decltype(&SimMTIsStarted) isStarted_ = nullptr;
  decltype(&SimMTStartCount) startCount_ = nullptr;
  decltype(&SimMTLiveObjects) liveObjects_ = nullptr;
};

}  // namespace tactora::sim
