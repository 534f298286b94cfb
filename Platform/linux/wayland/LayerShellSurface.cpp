#include "Platform/linux/wayland/LayerShellSurface.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>

#include "Platform/linux/wayland/LayerShell.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace tactora::lx {

LayerShellSurface::LayerShellSurface() = default;

LayerShellSurface::~LayerShellSurface() {
  hide();
}

bool LayerShellSurface::show(const platform::PanelPicture& picture, platform::PanelAnchor anchor) {
  if (picture.width <= 0 || picture.height <= 0) {
    return false;
  }
  if (closed_ || (shell_ && !shell_->dispatchPending())) {
    hide();  // the compositor is done with that one, or has gone; a new one follows
  }
  if (!shell_) {
    std::string whyNot;
    shell_ = LayerShell::connect(&whyNot);
    if (!shell_) {
      return false;
    }
  }
  if (!configure(picture.width, picture.height, anchor)) {
    hide();
    return false;
  }
  wl_buffer* buffer = bufferWith(picture);
  if (buffer == nullptr) {
    return false;
  }
  wl_surface_attach(surface_, buffer, 0, 0);
  wl_surface_damage_buffer(surface_, 0, 0, picture.width, picture.height);
  wl_surface_commit(surface_);
  wl_display_flush(shell_->display());
  return shell_->isAlive();
}

void LayerShellSurface::hide() {
  if (layerSurface_ != nullptr) {
    zwlr_layer_surface_v1_destroy(layerSurface_);
    layerSurface_ = nullptr;
  }
  if (surface_ != nullptr) {
    wl_surface_destroy(surface_);
    surface_ = nullptr;
  }
  destroyBuffers();
  width_ = height_ = 0;
  configured_ = closed_ = false;
  if (shell_ && shell_->isAlive()) {
    wl_display_flush(shell_->display());
  }
  shell_.reset();
}

bool LayerShellSurface::configure(int width, int height, platform::PanelAnchor anchor) {
  if (layerSurface_ != nullptr && width == width_ && height == height_ && anchor == anchor_) {
    return true;
  }
  static const zwlr_layer_surface_v1_listener listener = {
      .configure =
          [](void* data, zwlr_layer_surface_v1* layerSurface, std::uint32_t serial, std::uint32_t,
             std::uint32_t) {
            // The panel keeps the size it asked for; the next commit answers this configure.
            zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
            static_cast<LayerShellSurface*>(data)->configured_ = true;
          },
      .closed =
          [](void* data, zwlr_layer_surface_v1*) {
            static_cast<LayerShellSurface*>(data)->closed_ = true;
          },
  };
  const bool creating = layerSurface_ == nullptr;
  if (creating) {
    surface_ = wl_compositor_create_surface(shell_->compositor());
    // An empty input region: every click goes to what lies below the panel.
    wl_region* nowhere = wl_compositor_create_region(shell_->compositor());
    wl_surface_set_input_region(surface_, nowhere);
    wl_region_destroy(nowhere);
    layerSurface_ = zwlr_layer_shell_v1_get_layer_surface(
        shell_->layerShell(), surface_, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, layerNamespace);
    zwlr_layer_surface_v1_add_listener(layerSurface_, &listener, this);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layerSurface_, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(layerSurface_, 0);
  }
  const bool top = anchor.edge == platform::PanelAnchor::Edge::top;
  zwlr_layer_surface_v1_set_anchor(
      layerSurface_, top ? ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP : ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM);
  zwlr_layer_surface_v1_set_margin(layerSurface_, top ? anchor.marginPixels : 0, 0,
                                   top ? 0 : anchor.marginPixels, 0);
  zwlr_layer_surface_v1_set_size(layerSurface_, static_cast<std::uint32_t>(width),
                                 static_cast<std::uint32_t>(height));
  // The first commit carries no buffer: the compositor answers it with the configure that allows
  // one. Later changes may or may not be answered with a configure, which is acknowledged when it
  // comes.
  wl_surface_commit(surface_);
  if (!shell_->roundtrip() || (creating && !configured_) || closed_) {
    return false;
  }
  width_ = width;
  height_ = height;
  anchor_ = anchor;
  return true;
}

wl_buffer* LayerShellSurface::bufferWith(const platform::PanelPicture& picture) {
  const int stride = picture.width * 4;
  const std::size_t size =
      static_cast<std::size_t>(stride) * static_cast<std::size_t>(picture.height);
  const int fd = ::memfd_create("tactora-panel", MFD_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  void* pixels = MAP_FAILED;
  if (::ftruncate(fd, static_cast<off_t>(size)) == 0) {
    pixels = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  if (pixels == MAP_FAILED) {
    ::close(fd);
    return nullptr;
  }
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y) * stride,
                picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.bytesPerLine,
                static_cast<std::size_t>(stride));
  }
  ::munmap(pixels, size);
  // The compositor maps the memory itself; ours and the descriptor can go once the pool is made
  // (the library sends a copy of the descriptor).
  wl_shm_pool* pool = wl_shm_create_pool(shell_->shm(), fd, static_cast<std::int32_t>(size));
  wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, picture.width, picture.height, stride,
                                                WL_SHM_FORMAT_ARGB8888);
  wl_shm_pool_destroy(pool);
  ::close(fd);

  static const wl_buffer_listener listener = {
      .release =
          [](void* data, wl_buffer* released) {
            static_cast<LayerShellSurface*>(data)->buffers_.erase(released);
            wl_buffer_destroy(released);
          },
  };
  wl_buffer_add_listener(buffer, &listener, this);
  buffers_.insert(buffer);
  return buffer;
}

void LayerShellSurface::destroyBuffers() {
  for (wl_buffer* buffer : buffers_) {
    wl_buffer_destroy(buffer);
  }
  buffers_.clear();
}

}  // namespace tactora::lx
