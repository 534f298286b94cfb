#pragma once

#include <cstdint>
#include <memory>
#include <set>

#include "Platform/Panels.h"

struct wl_buffer;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace tactora::lx {

class LayerShell;

// One heads-up panel on the compositor's overlay layer: above every window, never given the
// keyboard, with an empty input region so clicks reach what lies below, centred on one edge of
// the output's work area (its exclusive zone of 0 keeps it clear of panels and docks) on the
// output the compositor chooses. Each picture goes in a shared-memory buffer of its own, freed
// when the compositor releases it. It connects to the compositor when it is shown and lets the
// connection go when it is hidden (or when the compositor has gone), so a restarted compositor is
// found again.
class LayerShellSurface final : public platform::PanelSurface {
 public:
  static constexpr const char* layerNamespace = "tactora-overlay";

  LayerShellSurface();
  ~LayerShellSurface() override;
  LayerShellSurface(const LayerShellSurface&) = delete;
  LayerShellSurface& operator=(const LayerShellSurface&) = delete;

  bool show(const platform::PanelPicture& picture, platform::PanelAnchor anchor) override;
  void hide() override;

 private:
  // Creates the surface with its role, or changes its size and place, and waits for the
  // compositor's configure.
  bool configure(int width, int height, platform::PanelAnchor anchor);
  wl_buffer* bufferWith(const platform::PanelPicture& picture);
  void destroyBuffers();

  std::shared_ptr<LayerShell> shell_;
  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layerSurface_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  platform::PanelAnchor anchor_;
  std::uint32_t configureSerial_ = 0;
  bool configured_ = false;
  bool closed_ = false;
  std::set<wl_buffer*> buffers_;
};

}  // namespace tactora::lx
