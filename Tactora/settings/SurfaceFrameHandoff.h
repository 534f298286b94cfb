#pragma once

#include <mutex>

#include "GestureEngine/BorrowedFrame.h"
#include "Tactora/RoutingObserver.h"
#include "Tactora/settings/SurfaceFrameSource.h"

namespace tactora::settings {

// Carries the newest frame and gesture from the frame thread to the surface view: the frame
// thread overwrites one fixed-size snapshot (no allocation, no queue), the main thread copies it
// when it has changed. Add it to the application as a routing observer for the last-gesture line
// and call `publish` for every frame the input pipeline hands to the engine.
class SurfaceFrameHandoff final : public SurfaceFrameSource, public RoutingObserver {
 public:
  // Frame thread. Contacts beyond `SurfaceSnapshot::maxContacts` are not shown.
  void publish(const BorrowedFrame& frame);
  // Frame thread, inside the engine's callback.
  void gestureReceived(const GestureEvent& event) override;

  bool takeLatest(SurfaceSnapshot& snapshot) override;

 private:
  // Held only for a copy of the snapshot; nothing is called under it.
  std::mutex mutex_;
  SurfaceSnapshot latest_;
  bool changed_ = false;
};

}  // namespace tactora::settings
