#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct zwlr_layer_shell_v1;

namespace tactora::lx {

// Our own connection to a Wayland compositor that offers layer-shell (zwlr_layer_shell_v1: KWin,
// sway and the other wlroots compositors), for heads-up panels on its overlay layer. It is apart
// from the toolkit's connection, if the toolkit has one: the panels never become toolkit windows.
// Used on the main thread only, and kept only while a panel is up: nothing reads from it in
// between calls, so an idle connection would fill with what the compositor sends.
class LayerShell {
 public:
  // How long a call waits for the compositor before it gives up: a hung compositor must not hang
  // the application, but a busy one (KWin compiling a script at our start takes half a second
  // here) must not cost the overlay either. Connecting waits longer, as its answer decides for the
  // whole session.
  static constexpr std::chrono::milliseconds connectTimeout{5000};
  static constexpr std::chrono::milliseconds answerTimeout{1000};

  // Connects to $WAYLAND_DISPLAY. Null, with the reason in `whyNot`, when no compositor answers
  // there or it offers no layer-shell.
  static std::shared_ptr<LayerShell> connect(std::string* whyNot);
  ~LayerShell();
  LayerShell(const LayerShell&) = delete;
  LayerShell& operator=(const LayerShell&) = delete;

  // Whether the connection still works (the compositor has not gone or raised an error).
  bool isAlive() const;
  // Takes in and handles what the compositor has sent, without waiting.
  bool dispatchPending();
  // Sends what is queued and waits until the compositor has handled it, and its answers have
  // been handled here; false when it did not answer within `timeout`.
  bool roundtrip(std::chrono::milliseconds timeout = answerTimeout);

  wl_display* display() const { return display_; }
  wl_compositor* compositor() const { return compositor_; }
  wl_shm* shm() const { return shm_; }
  zwlr_layer_shell_v1* layerShell() const { return layerShell_; }

 private:
  LayerShell() = default;
  void bindGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                  std::uint32_t version);

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
};

}  // namespace tactora::lx
