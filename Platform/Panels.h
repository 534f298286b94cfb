#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tactora::platform {

// How this desktop takes a heads-up panel (the gesture overlay, the version notice): a panel that
// never takes the focus, is never tiled, moved or listed by the window manager, and lets clicks
// through to what lies below.
enum class PanelKind {
  // A toolkit window the window manager leaves alone (override-redirect on X11): the application
  // shows its own panel window.
  unmanagedWindow,
  // A surface on the compositor's overlay layer (layer-shell), showing pictures the application
  // draws.
  overlaySurface,
  // The desktop's shell draws the panel from its text, in its own place and time.
  drawnByShell,
  // No way that keeps a panel out of the user's way: none is shown.
  none,
};

// Where a panel sits: centred on one edge of the work area of the screen the desktop chooses,
// `marginPixels` away from that edge.
struct PanelAnchor {
  enum class Edge { top, bottom };
  Edge edge = Edge::bottom;
  int marginPixels = 0;
  bool operator==(const PanelAnchor&) const = default;
};

// A picture of the panel: premultiplied 32-bit ARGB pixels in the machine's byte order, rows of
// `bytesPerLine` bytes. Borrowed for the call it is passed to.
struct PanelPicture {
  int width = 0;
  int height = 0;
  int bytesPerLine = 0;
  const std::uint8_t* pixels = nullptr;
};

// One panel on the overlay layer, hidden until shown; dropping it takes it off the screen.
class PanelSurface {
 public:
  virtual ~PanelSurface() = default;
  // Puts `picture` on the screen at `anchor` (a fade shows one picture after another). False
  // when the compositor did not take it; the next call tries again with a new surface.
  virtual bool show(const PanelPicture& picture, PanelAnchor anchor) = 0;
  virtual void hide() = 0;
};

// The desktop's way of showing heads-up panels. Used on the main thread only.
class Panels {
 public:
  virtual ~Panels() = default;

  virtual PanelKind kind() = 0;
  // How panels appear on this desktop, or why none can (for `none`), for the log and
  // `tactora doctor`.
  virtual std::string description() = 0;
  // For `overlaySurface`: a new, hidden surface; null when none can be made.
  virtual std::unique_ptr<PanelSurface> makeSurface() = 0;
  // For `drawnByShell`: asks the shell to show `text` now; false when it did not answer.
  virtual bool showInShell(std::string_view text) = 0;
};

}  // namespace tactora::platform
