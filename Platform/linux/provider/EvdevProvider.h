/*
 * What the evdev multitouch provider exports beside the eleven multitouch symbols: the seam
 * through which the application's event taps see the mouse's own events (motion, buttons,
 * wheels) before they reach the desktop, the way the application's synthetic clicks, drags and
 * scrolls reach the mouse's clone, and where the provider's log lines go. The platform
 * side resolves these from the same library the multitouch bridge opened (dlopen of the same
 * path returns the same handle).
 */
#pragma once

#include <linux/input.h>
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Called on the device's delivery thread with the non-touch events of one report, in order,
 * before the report's multitouch frame is delivered. The filter removes the events it swallows by
 * moving the kept ones to the front (order unchanged) and returns how many it kept. While the
 * provider only listens (not exclusive, or the grab failed) the answer changes nothing.
 */
typedef int32_t (*TactoraEvdevReportFilter)(void* context, struct input_event* events,
                                            int32_t count);

/*
 * Installs the filter (NULL removes it). With `exclusive` the provider takes the mouse's node
 * for itself (EVIOCGRAB, only while no button is held) and re-emits the kept events through a
 * uinput clone; otherwise it only reads. Applies to devices started afterwards.
 */
typedef void (*TactoraEvdevSetReportFilterFn)(TactoraEvdevReportFilter filter, void* context,
                                              bool exclusive);

/*
 * Writes `count` pointer events (motion, buttons, wheels; no SYN_REPORT) to the clone of the held
 * mouse as one report of its own, between the reports forwarded from the mouse and never inside
 * one. With `clone` 0 whichever clone exists takes them, otherwise only the clone with that id: a
 * release goes to the clone that got the press, not to the clone of a mouse plugged in again
 * since. Returns the id of the clone that took them (never 0), or 0 when none did: no mouse is
 * held, that clone is gone, or the write failed. Safe to call from any thread, also from the
 * report filter and the frame callback.
 */
typedef uint64_t (*TactoraEvdevWritePointerEventsFn)(const struct input_event* events, size_t count,
                                                     uint64_t clone);

enum { TACTORA_EVDEV_LOG_DEFAULT = 0, TACTORA_EVDEV_LOG_ERROR = 1 };

/* Receives the provider's log lines (NULL: standard error). */
typedef void (*TactoraEvdevLogHandler)(void* context, int32_t level, const char* message);
typedef void (*TactoraEvdevSetLogHandlerFn)(TactoraEvdevLogHandler handler, void* context);

/* Symbol names, for dlsym. */
#define TACTORA_EVDEV_SET_REPORT_FILTER "TactoraEvdevSetReportFilter"
#define TACTORA_EVDEV_SET_LOG_HANDLER "TactoraEvdevSetLogHandler"
#define TACTORA_EVDEV_WRITE_POINTER_EVENTS "TactoraEvdevWritePointerEvents"

#ifdef __cplusplus
}
#endif
