#include "Tactora/input/MTBridge.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Platform/PrivateLibrary.h"

#ifndef TACTORA_DEFAULT_MT_PROVIDER
#define TACTORA_DEFAULT_MT_PROVIDER "libTactoraEvdevProvider.so"
#endif

namespace {

// The provider beside the running program (where the build puts it) or in the installed
// program's private library folder, so the same program finds it in a build tree and installed;
// otherwise the bare name, which the loader's search path resolves.
std::string providerBesideProgram() {
  const std::string path =
      tactora::platform::PrivateLibrary::findForRunningProgram(TACTORA_DEFAULT_MT_PROVIDER);
  return path.empty() ? TACTORA_DEFAULT_MT_PROVIDER : path;
}

const std::string& defaultProviderPath() {
  static const std::string path = providerBesideProgram();
  return path;
}

// Loader mode: bind every symbol at once, so a broken provider fails here and not mid-frame.
constexpr int loadMode = RTLD_NOW;

struct ResolvedFunctions {
  MTDeviceCreateListFn createList = nullptr;
  MTDeviceCreateDefaultFn createDefault = nullptr;
  MTDeviceReleaseFn release = nullptr;
  MTDeviceIsBuiltInFn isBuiltIn = nullptr;
  MTDeviceGetFamilyIDFn getFamilyID = nullptr;
  MTDeviceGetSensorSurfaceDimensionsFn getSurfaceDimensions = nullptr;
  MTRegisterContactFrameCallbackFn registerCallback = nullptr;
  MTUnregisterContactFrameCallbackFn unregisterCallback = nullptr;
  MTDeviceStartFn start = nullptr;
  MTDeviceStopFn stop = nullptr;
  MTDeviceGetDeviceIDFn getDeviceID = nullptr;  // optional
};

void* gLibraryHandle = nullptr;
ResolvedFunctions gFunctions;
char gLastError[256] = {};
std::string gProviderPath = defaultProviderPath();

template <class Fn>
bool resolve(void* handle, const char* symbol, Fn& slot) {
  // dlsym hands back an object pointer; converting it to a function pointer is what POSIX
  // guarantees to work.
  slot = reinterpret_cast<Fn>(dlsym(handle, symbol));
  if (slot == nullptr) {
    std::snprintf(gLastError, sizeof gLastError, "missing symbol: %s", symbol);
    return false;
  }
  return true;
}

}  // namespace

extern "C" {

void MTBridgeSetProviderPath(const char* path) {
  gProviderPath = path != nullptr ? path : defaultProviderPath();
}

const char* MTBridgeProviderPath(void) {
  return gProviderPath.c_str();
}

const char* MTBridgeDefaultProviderPath(void) {
  return defaultProviderPath().c_str();
}

int32_t MTBridgeLoad(void) {
  void* handle = dlopen(gProviderPath.c_str(), loadMode);
  if (handle == nullptr) {
    const char* reason = dlerror();
    std::snprintf(gLastError, sizeof gLastError, "dlopen failed: %s",
                  reason != nullptr ? reason : "unknown error");
    return -1;
  }
  gLibraryHandle = handle;
  ResolvedFunctions& f = gFunctions;
  const bool complete =
      resolve(handle, "MTDeviceCreateList", f.createList) &&
      resolve(handle, "MTDeviceCreateDefault", f.createDefault) &&
      resolve(handle, "MTDeviceRelease", f.release) &&
      resolve(handle, "MTDeviceIsBuiltIn", f.isBuiltIn) &&
      resolve(handle, "MTDeviceGetFamilyID", f.getFamilyID) &&
      resolve(handle, "MTDeviceGetSensorSurfaceDimensions", f.getSurfaceDimensions) &&
      resolve(handle, "MTRegisterContactFrameCallback", f.registerCallback) &&
      resolve(handle, "MTUnregisterContactFrameCallback", f.unregisterCallback) &&
      resolve(handle, "MTDeviceStart", f.start) && resolve(handle, "MTDeviceStop", f.stop);
  if (!complete) {
    return -1;
  }
  f.getDeviceID = reinterpret_cast<MTDeviceGetDeviceIDFn>(dlsym(handle, "MTDeviceGetDeviceID"));
  return 0;
}

const char* MTBridgeLastError(void) {
  return gLastError;
}

MTDeviceRef* MTBridgeCopyDevices(int32_t* count) {
  MTDeviceList* list = gFunctions.createList != nullptr ? gFunctions.createList() : nullptr;
  if (list == nullptr) {
    *count = 0;
    return nullptr;
  }
  const int32_t n = list->count > 0 && list->entries != nullptr ? list->count : 0;
  // calloc: the array is a plain C array handed across the C interface and freed with free().
  auto* devices = static_cast<MTDeviceRef*>(
      std::calloc(static_cast<std::size_t>(n > 1 ? n : 1), sizeof(MTDeviceRef)));
  if (devices == nullptr) {
    MTObjectRelease(&list->object);
    *count = 0;
    return nullptr;
  }
  for (int32_t i = 0; i < n; ++i) {
    devices[i] = MTObjectRetain(list->entries[i]);
  }
  MTObjectRelease(&list->object);
  *count = n;
  return devices;
}

void MTBridgeReleaseDevices(MTDeviceRef* devices, int32_t count) {
  if (devices == nullptr) {
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    MTObjectRelease(devices[i]);
  }
  std::free(devices);
}

bool MTBridgeIsBuiltIn(MTDeviceRef device) {
  return gFunctions.isBuiltIn != nullptr && gFunctions.isBuiltIn(device);
}

int32_t MTBridgeFamilyID(MTDeviceRef device) {
  int32_t family = -1;
  if (gFunctions.getFamilyID != nullptr) {
    gFunctions.getFamilyID(device, &family);
  }
  return family;
}

int32_t MTBridgeSurfaceDimensions(MTDeviceRef device, int32_t* width, int32_t* height) {
  if (gFunctions.getSurfaceDimensions == nullptr) {
    return 0;
  }
  return gFunctions.getSurfaceDimensions(device, width, height);
}

void MTBridgeRegisterCallback(MTDeviceRef device, MTContactFrameCallback callback) {
  if (gFunctions.registerCallback != nullptr) {
    gFunctions.registerCallback(device, callback);
  }
}

void MTBridgeUnregisterCallback(MTDeviceRef device, MTContactFrameCallback callback) {
  if (gFunctions.unregisterCallback != nullptr) {
    gFunctions.unregisterCallback(device, callback);
  }
}

int32_t MTBridgeStart(MTDeviceRef device, int32_t mode) {
  return gFunctions.start != nullptr ? gFunctions.start(device, mode) : 0;
}

int32_t MTBridgeStop(MTDeviceRef device) {
  return gFunctions.stop != nullptr ? gFunctions.stop(device) : 0;
}

}  // extern "C"
