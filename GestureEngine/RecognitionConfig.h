#pragma once

#include <cstddef>
#include <functional>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/DragActivation.h"
#include "GestureEngine/Expected.h"

namespace tactora {

// Every tunable value of gesture recognition, plus a few the application reads when it routes
// recognised gestures. A plain value; the engine keeps one copy and hands it to each recognizer.
// Fields are declared in their coding, equality and hashing order.
struct RecognitionConfig {
  double tapMaxDuration = 0.35;       // s, longest contact that can still be a tap
  double minTapDuration = 0.03;       // s, shortest contact that counts as a tap
  float tapMaxTravelMM = 8.0f;        // mm, travel limit of a quick tap
  double tapQuickDuration = 0.15;     // s, contacts at least this long use the slow limit
  float tapMaxTravelMMSlow = 3.0f;    // mm, travel limit of a slow tap
  float tapMaxSlideSpeedMMPerS = 50;  // mm/s, mid-contact slide speed of a flick; <= 0 turns off
  double tapCoalesceWindow = 0.08;    // s, stored and compared; no recognizer reads it
  double tapDebounce = 0.05;          // s, minimum time between two fired tap-family events
  float minTouchSize = 0.0f;          // device size units, smallest peak size for a tap
  float dragActivationPixels = 8.0f;  // points of pointer travel (strictly more) to start a drag
  DragActivation dragActivation = DragActivation::doubleTapHold;
  double doubleTapWindow = 0.3;             // s, multi-tap streaks and tap-then-hold drags
  float swipeMinTravelMMX = 12.0f;          // mm, horizontal multi-finger swipe
  float swipeMinTravelMMY = 8.0f;           // mm, vertical multi-finger swipe
  float swipeMinVelocityMMPerS = 60.0f;     // mm/s, minimum average swipe speed
  float pinchMinDeltaMM = 5.0f;             // mm, change of finger distance for a pinch
  bool oneFingerSwipeEnabled = true;        // allows one-finger horizontal swipes
  float oneFingerSwipeMinTravelMM = 18.0f;  // mm
  bool rightZoneTapEnabled = true;
  float rightZoneMinX = 0.62f;             // fraction of width (0 left edge)
  float rightZoneMinY = 0.4f;              // fraction of depth (0 back edge)
  double appSwitcherHoldSeconds = 0.6;     // s, switcher hold after the last switcher swipe
  bool showGestureHUD = true;              // show the gesture overlay
  bool dragScrollEnabled = true;           // a second finger scrolls while dragging
  float dragScrollSensitivity = 40.0f;     // application-side scaling of drag-scroll deltas
  bool dragScrollInverted = false;         // application-side inversion of drag-scroll
  bool dragAutoscrollNudgeEnabled = true;  // application nudges the pointer during drag-scroll

  // The value with every field at its default, computed once.
  static const RecognitionConfig& defaults();

  // Floats compare by value, so a record holding a NaN is not equal to itself.
  friend bool operator==(const RecognitionConfig&, const RecognitionConfig&) = default;

  std::size_t hash() const;
};

// An object with all 27 members, each always written.
nlohmann::json toJson(const RecognitionConfig& config);

// Lenient per key (absent or null takes the default, unknown members are ignored), strict per
// value (a present value of the wrong type fails the whole record). No range checks.
Expected<RecognitionConfig> decodeRecognitionConfig(const nlohmann::json& value);

}  // namespace tactora

template <>
struct std::hash<tactora::RecognitionConfig> {
  std::size_t operator()(const tactora::RecognitionConfig& config) const { return config.hash(); }
};
