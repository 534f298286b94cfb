#pragma once

#include <memory>
#include <string>
#include <vector>

struct udev;
struct udev_monitor;

namespace tactora::lx {

// The udev library handle, and what we ask of it: the input event nodes present now, and a
// monitor of nodes arriving and leaving.
class UdevContext {
 public:
  struct Change {
    bool added = false;  // otherwise removed
    std::string node;    // /dev/input/eventN
  };

  // Owns a udev_monitor for the input subsystem; `fd()` is for poll().
  class Monitor {
   public:
    int fd() const;
    // Every change waiting on the monitor, without blocking.
    std::vector<Change> receive() const;

   private:
    friend class UdevContext;
    struct Free {
      void operator()(udev_monitor* monitor) const;
    };
    std::unique_ptr<udev_monitor, Free> monitor_;
  };

  UdevContext();
  bool valid() const { return udev_ != nullptr; }
  // The library handle, for questions beyond the input nodes (a device's parents and children).
  udev* get() const { return udev_.get(); }

  // /dev/input/event* nodes known to udev, sorted by node name.
  std::vector<std::string> eventNodes() const;
  // Null when udev cannot give one (no netlink in a container, for instance).
  std::unique_ptr<Monitor> monitor() const;

 private:
  struct Free {
    void operator()(udev* context) const;
  };
  std::unique_ptr<udev, Free> udev_;
};

}  // namespace tactora::lx
