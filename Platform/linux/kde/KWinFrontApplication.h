#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/linux/PollThread.h"
#include "Platform/linux/desktop/ApplicationIndex.h"

namespace tactora::lx {

// The focused application on Plasma's Wayland session, told by KWin itself: a small KWin script,
// loaded through KWin's scripting service, calls our `Activated(desktopFileName, resourceName,
// resourceClass)` method on the session bus whenever a window is activated, and once for the
// active window when it starts. Only calls from the connection that owns org.kde.KWin count:
// any other program on the bus could otherwise choose which per-application profile applies.
// A thread of its own (`threadName`) connects, loads the script and then serves those calls; it
// sleeps on the bus between them. Every instance loads its script
// under a name of its own, so one process (`tactora doctor`) never unloads another's (the running
// application's). When KWin is replaced or restarted the script is loaded into the new one,
// which owns its bus name a little before it serves scripts: a load it does not answer is tried
// again with a growing delay, for up to a minute. Destruction unloads the script, removes its
// file and joins the thread.
class KWinFrontApplication {
 public:
  static constexpr const char* threadName = "KWinFrontApp";
  static constexpr const char* kwinService = "org.kde.KWin";
  static constexpr const char* objectPath = "/com/vellumworks/Tactora/KWin";
  static constexpr const char* interfaceName = "com.vellumworks.Tactora.KWin1";
  // The script's name in KWin is this, a dash, and our connection's unique name.
  static constexpr const char* pluginNamePrefix = "tactora-front-application";
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

  // Waits at most `timeout` for KWin's first report (the script reports the active window as soon
  // as it starts); false when none came, or loading the script failed for good.
  bool awaitReport(std::chrono::milliseconds timeout) const;

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
    std::string resourceName;  // WM_CLASS's instance part on X11 windows
    std::string resourceClass;
  };
  enum class LoadResult { running, failed, refused };

  friend struct KWinBusHandlers;  // the bus's callbacks, which reach `activated` and the owner

  void run(PollThread& thread);
  // Writes the script for the bus connection named `service`; what went wrong on failure.
  std::optional<std::string> writeScript(const char* service);
  // Loads and starts the script once; what went wrong in `failure`.
  LoadResult loadScript(std::string* failure);
  // Loads the script, or plans the next try while KWin's scripting service does not answer.
  void tryLoading();
  void unloadScript();
  void activated(Activation activation);
  void kwinOwnerChanged(std::string owner);
  // Ends the wait of `awaitReport` without a report.
  void giveUpReport();

  std::shared_ptr<const ApplicationIndex> index_;
  std::string scriptDirectory_;
  std::chrono::microseconds timeout_;
  std::unique_ptr<Connection> connection_;
  mutable std::mutex mutex_;  // guards `latest_` and `gaveUp_`
  mutable std::condition_variable reported_;
  std::optional<Activation> latest_;
  bool gaveUp_ = false;  // no report will come from this KWin
  std::atomic<bool> scriptRunning_{false};
  std::atomic<bool> ended_{false};
  std::atomic<std::uint64_t> activations_{0};
  PollThread thread_;
};

}  // namespace tactora::lx
