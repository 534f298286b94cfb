#pragma once

#include "Tactora/settings/SurfaceSnapshot.h"

namespace tactora::settings {

// Where the surface view gets the live contacts from. The view polls it at display rate on the
// main thread; producers keep only the newest value, so a slow or hidden view never makes
// anything queue up.
class SurfaceFrameSource {
 public:
  virtual ~SurfaceFrameSource() = default;
  // Copies the newest snapshot into `snapshot` when it changed since the last call; false (and
  // `snapshot` untouched) when nothing new arrived.
  virtual bool takeLatest(SurfaceSnapshot& snapshot) = 0;
};

}  // namespace tactora::settings
