#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "Platform/Event.h"
#include "Platform/Platform.h"
#include "Platform/Point.h"

namespace tactora {

// A synthetic left-button drag that follows the physical pointer while a finger holds a drag:
// a press where the drag began, dragged events as the pointer (or the autoscroll nudge) moves,
// and a release at the pointer when it ends.
class SyntheticDrag {
 public:
  using CursorProvider = std::function<platform::Point()>;
  using PostEvent = std::function<void(const platform::Event&)>;

  // Events are made with `platform`'s event system from the shared source; the pointer is read
  // from `cursorProvider` and events leave through `postEvent`.
  SyntheticDrag(platform::Platform& platform, CursorProvider cursorProvider, PostEvent postEvent);
  // Reads the pointer from a source-less event ((0, 0) when none can be made) and posts at the
  // HID level of `platform`.
  explicit SyntheticDrag(platform::Platform& platform);

  SyntheticDrag(const SyntheticDrag&) = delete;
  SyntheticDrag& operator=(const SyntheticDrag&) = delete;

  // The process-wide drag of the installed platform, made on first use.
  static SyntheticDrag& shared();

  // Presses the left button at `point`, or at the pointer when none is given. Ignored while a
  // drag is held.
  void begin(std::optional<platform::Point> point);
  // Drags to the pointer, with the movement since the last posted position as the delta.
  void followCursor();
  // Drags by (dx, dy) away from the last posted position (the autoscroll nudge).
  void moveBy(double dx, double dy);
  // Releases the button at the pointer.
  void end();

  bool isDragging() const;
  platform::Point lastPosition() const;

 private:
  // Builds, marks, posts and logs one left-button event; called with `lock_` held.
  void postMouse(platform::EventType type, platform::Point position, double deltaX, double deltaY);

  platform::Platform& platform_;
  CursorProvider cursorProvider_;
  PostEvent postEvent_;

  mutable std::mutex lock_;
  bool isDragging_ = false;
  platform::Point lastPosition_{};
};

}  // namespace tactora
