#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "Platform/linux/desktop/ApplicationIndex.h"

namespace tactora::lx {

// The focused application on Plasma (Wayland and X11), told by KWin itself: a small KWin script,
// loaded through KWin's scripting service, calls our `Activated(desktopFileName, resourceClass)`
// method on the session bus whenever a window is activated, and once for the active window when
// it starts. A thread of its own (`threadName`) connects, loads the script and then serves those
// calls; it sleeps on the bus and on a wake-up descriptor between them. When KWin is replaced or
// restarted the script is loaded into the new one. Destruction unloads the script, removes its
// file and joins the thread.
class KWinFrontApplication {
 public:
  static constexpr const char* threadName = "KWinFrontApp";
  static constexpr const char* kwinService = "org.kde.KWin";
  static constexpr const char* objectPath = "/com/vellumworks/Tactora/KWin";
  static constexpr const char* interfaceName = "com.vellumworks.Tactora.KWin1";
  static constexpr const char* pluginName = "tactora-front-application";
  static constexpr std::chrono::milliseconds defaultTimeout{500};

  // `scriptDirectory` holds the script's file while it is loaded; empty means $XDG_RUNTIME_DIR,
  // else the temporary folder. `timeout` bounds each call to KWin.
  explicit KWinFrontApplication(std::shared_ptr<const ApplicationIndex> index,
                                std::string scriptDirectory = {},
                                std::chrono::microseconds timeout = defaultTimeout);
  ~KWinFrontApplication();
  KWinFrontApplication(const KWinFrontApplication&) = delete;
  KWinFrontApplication& operator=(const KWinFrontApplication&) = delete;

  // The desktop-file id of the last activated window: its desktop file name when KWin knows one,
  // else its window class matched against the installed applications; nothing before the first
  // report, when no window is active, or when KWin went away.
  std::optional<std::string> frontApplication() const;

  // Whether the script is loaded and started in the running KWin.
  bool isScriptRunning() const { return scriptRunning_.load(); }
  // Whether the thread has given up (no session bus, or it went away).
  bool hasEnded() const { return ended_.load(); }
  // How many activations KWin has reported.
  std::uint64_t activationsReceived() const { return activations_.load(); }

  // The script's text, reporting to the bus connection named `service`.
  static std::string script(std::string_view service);

 private:
  class Connection;
  struct Activation {
    std::string desktopFileName;
    std::string resourceClass;
  };

  friend struct KWinBusHandlers;  // the bus's callbacks, which reach `activated` and the owner

  void run();
  // Writes the script for the bus connection named `service`; a negative errno on failure.
  int writeScript(const char* service);
  bool loadScript();
  void unloadScript();
  void activated(Activation activation);
  void kwinOwnerChanged(bool present);

  std::shared_ptr<const ApplicationIndex> index_;
  std::string scriptDirectory_;
  std::chrono::microseconds timeout_;
  std::unique_ptr<Connection> connection_;
  mutable std::mutex mutex_;  // guards `latest_`
  std::optional<Activation> latest_;
  std::atomic<bool> scriptRunning_{false};
  std::atomic<bool> ended_{false};
  std::atomic<std::uint64_t> activations_{0};
  std::thread thread_;
};

}  // namespace tactora::lx
