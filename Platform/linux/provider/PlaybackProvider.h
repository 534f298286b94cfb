/*
 * What the playback provider exports beside the eleven multitouch symbols and the evdev provider's
 * seam (EvdevProvider.h, whose pointer writer takes nothing there: a recording has no clone): the
 * recording to play in the mouse's place, handed over before the multitouch bridge lists devices.
 */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Reads the evemu recording at `path`. 0 when it can be played; -1 when it cannot, with one line
 * naming the file and what is wrong ("FILE:LINE: what is wrong") written to `error` (truncated to
 * `errorSize` bytes, zero-terminated). One recording per process: a second load fails.
 */
typedef int32_t (*TactoraPlaybackLoadFn)(const char* path, char* error, size_t errorSize);

/* The library's file name, found beside the program like the evdev provider, and its symbol. */
#define TACTORA_PLAYBACK_PROVIDER_LIBRARY "libTactoraPlaybackProvider.so"
#define TACTORA_PLAYBACK_LOAD "TactoraPlaybackLoad"

#ifdef __cplusplus
}
#endif
