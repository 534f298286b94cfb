#pragma once

// The thin layer over the multitouch provider library: loads it at run time by path, resolves its
// eleven symbols and forwards the few calls the input pipeline makes. Process-wide state (library
// handle, resolved addresses, last error text); used from the main thread only.

#include <cstdint>

#include "Platform/MultitouchProvider.h"

extern "C" {

// The provider library MTBridgeLoad opens. Process-wide; the default is the installed evdev
// provider. The replay command, the demo and the tests point it at the sim provider.
void MTBridgeSetProviderPath(const char* path);
// The current path; valid until the next MTBridgeSetProviderPath.
const char* MTBridgeProviderPath(void);
const char* MTBridgeDefaultProviderPath(void);

// 0 on success, -1 on failure (see MTBridgeLastError). Loading again opens and resolves again;
// the earlier handle is never closed.
int32_t MTBridgeLoad(void);
// The text of the last failed load, at most 255 characters.
const char* MTBridgeLastError(void);

// Retained references to every listed device (empty entries stay empty) in an array of at least
// one slot that the caller frees with MTBridgeReleaseDevices; nothing when the provider lists none.
MTDeviceRef* MTBridgeCopyDevices(int32_t* count);
void MTBridgeReleaseDevices(MTDeviceRef* devices, int32_t count);

// Every call below is a no-op with a neutral answer when its symbol was not resolved.
bool MTBridgeIsBuiltIn(MTDeviceRef device);
int32_t MTBridgeFamilyID(MTDeviceRef device);  // -1 when unknown
int32_t MTBridgeSurfaceDimensions(MTDeviceRef device, int32_t* width, int32_t* height);
void MTBridgeRegisterCallback(MTDeviceRef device, MTContactFrameCallback callback);
void MTBridgeUnregisterCallback(MTDeviceRef device, MTContactFrameCallback callback);
int32_t MTBridgeStart(MTDeviceRef device, int32_t mode);
int32_t MTBridgeStop(MTDeviceRef device);

}  // extern "C"
