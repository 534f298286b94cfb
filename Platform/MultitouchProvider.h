/*
 * The C interface between the multitouch bridge and a multitouch provider library (the evdev
 * provider, the sim provider): the reference-counted object header, the device list, the
 * contact-frame callback, the 96-byte contact record and the signatures of the eleven symbols a
 * provider exports. Plain C so that any provider can be written against it.
 */
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Every object a provider hands out (device, device list) starts with this header. Retain and
 * release belong to the platform, not to the provider: the bridge can release what it was given
 * without calling a provider symbol. The provider's `destroy` runs once, when the last reference
 * goes, and frees the object; `owner` is the provider's own record behind the header.
 */
typedef struct MTObject {
  int32_t retainCount; /* only touched with atomic operations */
  void (*destroy)(struct MTObject* object);
  void* owner;
} MTObject;

typedef MTObject* MTDeviceRef;

/* The list MTDeviceCreateList returns: it holds one reference to each non-empty entry. */
typedef struct MTDeviceList {
  MTObject object;
  int32_t count;
  const MTDeviceRef* entries; /* `count` entries, some possibly empty */
} MTDeviceList;

static inline void MTObjectInit(MTObject* object, void (*destroy)(MTObject*), void* owner) {
  object->retainCount = 1;
  object->destroy = destroy;
  object->owner = owner;
}

/* Both accept an empty reference and then do nothing. */
static inline MTObject* MTObjectRetain(MTObject* object) {
  if (object != NULL) {
    __atomic_fetch_add(&object->retainCount, 1, __ATOMIC_RELAXED);
  }
  return object;
}

static inline void MTObjectRelease(MTObject* object) {
  if (object != NULL && __atomic_sub_fetch(&object->retainCount, 1, __ATOMIC_ACQ_REL) == 0) {
    object->destroy(object);
  }
}

/*
 * Called by the provider on its delivery thread once per frame of a registered device: device,
 * first contact record, number of records, frame time in seconds, frame number. Returns 0.
 */
typedef int32_t (*MTContactFrameCallback)(MTDeviceRef device, const void* contacts, int32_t count,
                                          double frameTimeSeconds, int32_t frameNumber);

/*
 * The contact record. Records of one frame lie one after another, MT_CONTACT_RECORD_SIZE bytes
 * apart, little-endian; every byte not listed here is zero.
 */
enum {
  MT_CONTACT_RECORD_SIZE = 96,
  MT_CONTACT_OFFSET_ID = 16,       /* int32: stable while the finger stays down */
  MT_CONTACT_OFFSET_STATE = 20,    /* int32: 3 and 4 are touching, others are not */
  MT_CONTACT_OFFSET_POSITION = 32, /* two floats, x and y, 0...1 of the surface */
  MT_CONTACT_OFFSET_VELOCITY = 40, /* two floats, same normalised units per second */
  MT_CONTACT_OFFSET_SIZE = 48,     /* float */
};

enum {
  MT_CONTACT_STATE_MAKING_TOUCH = 3, /* the finger is landing; counts as touching */
  MT_CONTACT_STATE_TOUCHING = 4,     /* a finger resting on or moving over the surface */
  MT_CONTACT_STATE_LIFTING = 5,      /* the finger is leaving; no longer counts as touching */
};

/* Fills one record (MT_CONTACT_RECORD_SIZE bytes at `record`). */
static inline void MTWriteContactRecord(void* record, int32_t identifier, int32_t state, float x,
                                        float y, float velocityX, float velocityY, float size) {
  unsigned char* bytes = (unsigned char*)record;
  const float position[2] = {x, y};
  const float velocity[2] = {velocityX, velocityY};
  memset(bytes, 0, MT_CONTACT_RECORD_SIZE);
  memcpy(bytes + MT_CONTACT_OFFSET_ID, &identifier, sizeof identifier);
  memcpy(bytes + MT_CONTACT_OFFSET_STATE, &state, sizeof state);
  memcpy(bytes + MT_CONTACT_OFFSET_POSITION, position, sizeof position);
  memcpy(bytes + MT_CONTACT_OFFSET_VELOCITY, velocity, sizeof velocity);
  memcpy(bytes + MT_CONTACT_OFFSET_SIZE, &size, sizeof size);
}

/* The eleven symbols, in the order the bridge resolves them. */
typedef MTDeviceList* (*MTDeviceCreateListFn)(void); /* caller releases the list */
typedef MTDeviceRef (*MTDeviceCreateDefaultFn)(void);
typedef void (*MTDeviceReleaseFn)(MTDeviceRef device);
typedef bool (*MTDeviceIsBuiltInFn)(MTDeviceRef device);
typedef int32_t (*MTDeviceGetFamilyIDFn)(MTDeviceRef device, int32_t* familyID);
/* Surface width and height in hundredths of a millimetre; returns 0 on success. */
typedef int32_t (*MTDeviceGetSensorSurfaceDimensionsFn)(MTDeviceRef device, int32_t* width,
                                                        int32_t* height);
typedef void (*MTRegisterContactFrameCallbackFn)(MTDeviceRef device,
                                                 MTContactFrameCallback callback);
typedef void (*MTUnregisterContactFrameCallbackFn)(MTDeviceRef device,
                                                   MTContactFrameCallback callback);
typedef int32_t (*MTDeviceStartFn)(MTDeviceRef device, int32_t runMode);
typedef int32_t (*MTDeviceStopFn)(MTDeviceRef device);
typedef int32_t (*MTDeviceGetDeviceIDFn)(MTDeviceRef device, uint64_t* deviceID);

#ifdef __cplusplus
}
#endif
