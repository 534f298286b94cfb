#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace tactora::lx::test {

// A stand-in for GNOME Shell on the test's private session bus: it owns org.gnome.Shell, has the
// overview's OverviewActive property and, when the extension is enabled, our extension's
// interface. It answers on a thread of its own, or never.
class FakeGnomeShell {
 public:
  struct Options {
    bool extension = true;
    bool answers = true;
  };

  explicit FakeGnomeShell(Options options);
  FakeGnomeShell() : FakeGnomeShell(Options{}) {}
  ~FakeGnomeShell();
  FakeGnomeShell(const FakeGnomeShell&) = delete;
  FakeGnomeShell& operator=(const FakeGnomeShell&) = delete;

  // Whether it owns the name and serves its objects.
  bool ready() const { return ready_; }

  void setFocusedApplication(std::string id);
  void setFocusedWindowClosable(bool closable) { closable_ = closable; }
  void setOverviewActive(bool active) { overviewActive_ = active; }

  bool overviewActive() const { return overviewActive_; }
  int closeRequests() const { return closeRequests_; }

 private:
  static int handleShell(sd_bus_message* message, void* self, sd_bus_error* error);
  static int handleExtension(sd_bus_message* message, void* self, sd_bus_error* error);
  void run();

  sd_bus* bus_ = nullptr;
  sd_bus_slot* shellSlot_ = nullptr;
  sd_bus_slot* extensionSlot_ = nullptr;
  bool ready_ = false;
  std::mutex mutex_;
  std::string focusedApplication_;
  std::atomic<bool> closable_{true};
  std::atomic<bool> overviewActive_{false};
  std::atomic<int> closeRequests_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tactora::lx::test
