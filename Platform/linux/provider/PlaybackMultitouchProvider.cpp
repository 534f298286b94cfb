// The playback multitouch provider: exports the eleven multitouch symbols over one evemu
// recording played in the mouse's place, the evdev provider's seam (EvdevProvider.h) so that the
// application's taps see the recording's buttons and wheels, and the call that hands it the
// recording (PlaybackProvider.h). Frames are delivered on the playback thread.

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "Platform/MultitouchProvider.h"
#include "Platform/linux/input/PlaybackMultitouch.h"
#include "Platform/linux/provider/EvdevProvider.h"
#include "Platform/linux/provider/PlaybackProvider.h"
#include "Platform/linux/provider/ProviderLog.h"

#define PLAYBACK_MT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The provider's one instance, created on first use and kept for the life of the process (the
// bridge never unloads a provider).
tactora::lx::PlaybackMultitouch& provider() {
  static auto* instance = [] {
    auto* created = new tactora::lx::PlaybackMultitouch();
    created->setLog(tactora::lx::ProviderLog::write);
    return created;
  }();
  return *instance;
}

using tactora::lx::PlaybackMultitouch;

}  // namespace

PLAYBACK_MT_EXPORT int32_t TactoraPlaybackLoad(const char* path, char* error, size_t errorSize) {
  const std::optional<std::string> problem =
      path != nullptr ? provider().load(path) : std::optional<std::string>("no recording named");
  if (!problem) {
    return 0;
  }
  if (error != nullptr && errorSize > 0) {
    std::snprintf(error, errorSize, "%s", problem->c_str());
  }
  return -1;
}

PLAYBACK_MT_EXPORT MTDeviceList* MTDeviceCreateList(void) {
  return provider().createList();
}

PLAYBACK_MT_EXPORT MTDeviceRef MTDeviceCreateDefault(void) {
  MTDeviceList* list = provider().createList();
  MTDeviceRef chosen = nullptr;
  if (list->count > 0 && !PlaybackMultitouch::isBuiltIn(list->entries[0])) {
    chosen = MTObjectRetain(list->entries[0]);
  }
  MTObjectRelease(&list->object);
  return chosen;
}

PLAYBACK_MT_EXPORT void MTDeviceRelease(MTDeviceRef device) {
  MTObjectRelease(device);
}

PLAYBACK_MT_EXPORT bool MTDeviceIsBuiltIn(MTDeviceRef device) {
  return PlaybackMultitouch::isBuiltIn(device);
}

PLAYBACK_MT_EXPORT int32_t MTDeviceGetFamilyID(MTDeviceRef device, int32_t* familyID) {
  if (device == nullptr || familyID == nullptr) {
    return -1;
  }
  *familyID = PlaybackMultitouch::familyID(device);
  return 0;
}

PLAYBACK_MT_EXPORT int32_t MTDeviceGetSensorSurfaceDimensions(MTDeviceRef device, int32_t* width,
                                                              int32_t* height) {
  if (device == nullptr || width == nullptr || height == nullptr) {
    return -1;
  }
  PlaybackMultitouch::surfaceDimensions(device, width, height);
  return 0;
}

PLAYBACK_MT_EXPORT void MTRegisterContactFrameCallback(MTDeviceRef device,
                                                       MTContactFrameCallback callback) {
  PlaybackMultitouch::setCallback(device, callback, true);
}

PLAYBACK_MT_EXPORT void MTUnregisterContactFrameCallback(MTDeviceRef device,
                                                         MTContactFrameCallback callback) {
  PlaybackMultitouch::setCallback(device, callback, false);
}

PLAYBACK_MT_EXPORT int32_t MTDeviceStart(MTDeviceRef device, int32_t /*runMode*/) {
  return provider().start(device);
}

PLAYBACK_MT_EXPORT int32_t MTDeviceStop(MTDeviceRef device) {
  provider().stop(device);
  return 0;
}

PLAYBACK_MT_EXPORT int32_t MTDeviceGetDeviceID(MTDeviceRef device, uint64_t* deviceID) {
  if (device == nullptr || deviceID == nullptr) {
    return -1;
  }
  *deviceID = reinterpret_cast<std::uintptr_t>(device);
  return 0;
}

PLAYBACK_MT_EXPORT void TactoraEvdevSetReportFilter(TactoraEvdevReportFilter filter, void* context,
                                                    bool /*exclusive*/) {
  // Nothing to grab or forward: the recording's events never reach the desktop anyway.
  provider().setReportFilter({filter, context, false});
}

PLAYBACK_MT_EXPORT uint64_t TactoraEvdevWritePointerEvents(const struct input_event* /*events*/,
                                                           size_t /*count*/, uint64_t /*clone*/) {
  // No clone: the application's clicks and scrolls go through its own virtual pointer.
  return 0;
}

PLAYBACK_MT_EXPORT void TactoraEvdevSetLogHandler(TactoraEvdevLogHandler handler, void* context) {
  tactora::lx::ProviderLog::install(handler, context);
}
