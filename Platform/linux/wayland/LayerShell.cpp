#include "Platform/linux/wayland/LayerShell.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace tactora::lx {

namespace {

// Versions this code speaks: wl_compositor 4 damages in buffer coordinates; layer-shell 1 has
// everything the panels need.
constexpr std::uint32_t compositorVersion = 4;
constexpr std::uint32_t layerShellVersion = 1;

}  // namespace

void LayerShell::bindGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                            std::uint32_t version) {
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= compositorVersion) {
    compositor_ = static_cast<wl_compositor*>(
        wl_registry_bind(registry, name, &wl_compositor_interface, compositorVersion));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    layerShell_ = static_cast<zwlr_layer_shell_v1*>(
        wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, layerShellVersion));
  }
}

std::shared_ptr<LayerShell> LayerShell::connect(std::string* whyNot) {
  std::shared_ptr<LayerShell> shell(new LayerShell());
  shell->display_ = wl_display_connect(nullptr);
  if (shell->display_ == nullptr) {
    *whyNot = "no Wayland compositor answers at $WAYLAND_DISPLAY";
    return nullptr;
  }
  static const wl_registry_listener listener = {
      .global =
          [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
             std::uint32_t version) {
            static_cast<LayerShell*>(data)->bindGlobal(registry, name, interface, version);
          },
      .global_remove = [](void*, wl_registry*, std::uint32_t) {},
  };
  shell->registry_ = wl_display_get_registry(shell->display_);
  wl_registry_add_listener(shell->registry_, &listener, shell.get());
  if (!shell->roundtrip(connectTimeout)) {
    *whyNot = "the Wayland compositor did not answer";
    return nullptr;
  }
  if (shell->layerShell_ == nullptr) {
    *whyNot = "this Wayland compositor offers no layer-shell (zwlr_layer_shell_v1)";
    return nullptr;
  }
  if (shell->compositor_ == nullptr || shell->shm_ == nullptr) {
    *whyNot = "this Wayland compositor offers no shared-memory surfaces";
    return nullptr;
  }
  return shell;
}

LayerShell::~LayerShell() {
  if (layerShell_ != nullptr) {
    // Version 1 has no destroy request; the object goes with the connection.
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell_));
  }
  if (shm_ != nullptr) {
    wl_shm_destroy(shm_);
  }
  if (compositor_ != nullptr) {
    wl_compositor_destroy(compositor_);
  }
  if (registry_ != nullptr) {
    wl_registry_destroy(registry_);
  }
  if (display_ != nullptr) {
    wl_display_disconnect(display_);
  }
}

bool LayerShell::isAlive() const {
  return wl_display_get_error(display_) == 0;
}

bool LayerShell::dispatchPending() {
  if (!isAlive()) {
    return false;
  }
  while (wl_display_prepare_read(display_) != 0) {
    wl_display_dispatch_pending(display_);
  }
  wl_display_flush(display_);
  pollfd ready{wl_display_get_fd(display_), POLLIN, 0};
  if (::poll(&ready, 1, 0) > 0) {
    wl_display_read_events(display_);
  } else {
    wl_display_cancel_read(display_);
  }
  wl_display_dispatch_pending(display_);
  return isAlive();
}

bool LayerShell::roundtrip(std::chrono::milliseconds timeout) {
  bool done = false;
  static const wl_callback_listener listener = {
      .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; },
  };
  wl_callback* callback = wl_display_sync(display_);
  wl_callback_add_listener(callback, &listener, &done);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done && isAlive()) {
    while (wl_display_prepare_read(display_) != 0) {
      wl_display_dispatch_pending(display_);
    }
    wl_display_flush(display_);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{wl_display_get_fd(display_), POLLIN, 0};
    if (left.count() > 0 && ::poll(&ready, 1, static_cast<int>(left.count())) > 0) {
      wl_display_read_events(display_);
    } else {
      wl_display_cancel_read(display_);
      if (std::chrono::steady_clock::now() >= deadline) {
        break;
      }
    }
    wl_display_dispatch_pending(display_);
  }
  // An answer that comes later goes to a destroyed callback, which the library drops.
  wl_callback_destroy(callback);
  return done;
}

}  // namespace tactora::lx
