#include "Tactora/main/MonitorCommand.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include <CLI/CLI.hpp>

#include "Platform/UniqueFd.h"
#include "Platform/linux/input/DeviceDiscovery.h"
#include "Platform/linux/input/EvdevDevice.h"
#include "Platform/linux/input/UdevContext.h"
#include "Tactora/main/EvemuRecorder.h"
#include "Tactora/replay/ReplaySession.h"

namespace tactora {

namespace {

// While the mouse is idle the simulated desktop's clock still moves, so timers (the app
// switcher's release, momentum) show when they fire rather than at the next touch.
constexpr int idleTickMilliseconds = 100;
// A tick stays this far behind the clock, so an event stamped just before it and read just after
// does not find time already past it.
constexpr std::int64_t tickLagMicroseconds = 50000;

struct Arguments {
  std::string device;
  std::string record;
  bool actions = false;
  bool time = false;
};

std::int64_t microsecondsOf(const input_event& event) {
  return static_cast<std::int64_t>(event.input_event_sec) * 1000000 + event.input_event_usec;
}

std::int64_t nowMicroseconds(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// The node to watch: the one asked for, else the first external device with a touch surface.
std::optional<std::string> chooseNode(const Arguments& arguments, std::ostream& err) {
  if (!arguments.device.empty()) {
    return arguments.device;
  }
  const lx::UdevContext udev;
  bool denied = false;
  for (const lx::DiscoveredDevice& device : lx::DeviceDiscovery::discover(udev)) {
    if (device.facts && lx::isExternal(device.facts->role())) {
      return device.node;
    }
    denied = denied || device.openError == EACCES || device.openError == EPERM;
  }
  err << "tactora: no Magic Mouse found";
  if (denied) {
    err << " that can be read: some input devices are not readable; the udev rule "
           "69-tactora.rules grants the Magic Mouse to the logged-in user";
  }
  err << " (`tactora devices` lists what is there)\n";
  return std::nullopt;
}

// True when another program has taken the node for itself (its events would never reach us).
bool heldElsewhere(int fd) {
  if (::ioctl(fd, EVIOCGRAB, 1) < 0) {
    return errno == EBUSY;
  }
  ::ioctl(fd, EVIOCGRAB, 0);
  return false;
}

// Opens the node for reading; empty, after saying why on `err`, when it cannot be watched.
std::optional<lx::EvdevDevice> openNode(const std::string& node, std::ostream& err) {
  lx::EvdevDevice::OpenResult opened = lx::EvdevDevice::open(node);
  if (auto* error = std::get_if<lx::SystemError>(&opened)) {
    err << "tactora: cannot " << error->what;
    if (error->error == EACCES || error->error == EPERM) {
      err << "; the udev rule 69-tactora.rules grants the Magic Mouse to the logged-in user";
    }
    err << '\n';
    return std::nullopt;
  }
  lx::EvdevDevice& device = std::get<lx::EvdevDevice>(opened);
  if (heldElsewhere(device.fd())) {
    err << "tactora: " << node
        << " is held by another program (the running Tactora takes the mouse while it "
           "forwards its events); quit it to monitor the mouse here\n";
    return std::nullopt;
  }
  return std::move(device);
}

// SIGINT and SIGTERM as a readable descriptor, so an interrupted monitor still prints what it
// saw.
platform::UniqueFd quitSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return platform::UniqueFd(::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
}

// The live node fed to the session: every event as it is read (and recorded), and idle ticks
// that move the session's time on while the mouse rests.
class MonitorLoop {
 public:
  MonitorLoop(lx::EvdevDevice& device, std::string node, ReplaySession& session,
              EvemuRecorder* recorder, std::ostream& err)
      : device_(device),
        node_(std::move(node)),
        session_(session),
        recorder_(recorder),
        err_(err),
        clock_(device.useMonotonicClock() ? CLOCK_MONOTONIC : CLOCK_REALTIME) {}

  // Until a quit signal arrives on `signalFd` or the node goes away.
  void run(int signalFd) {
    pollfd fds[2] = {{device_.fd(), POLLIN, 0}, {signalFd, POLLIN, 0}};
    for (bool running = true; running;) {
      const int ready = ::poll(fds, 2, idleTickMilliseconds);
      if (ready < 0 && errno != EINTR) {
        break;
      }
      if (fds[1].revents != 0) {
        // Ending: what the node still holds is read and shown first.
        running = false;
      } else if (ready == 0) {
        tick();
        continue;
      }
      running = readPending() && running;
      if (recorder_ != nullptr) {
        recorder_->flush();
      }
    }
  }

 private:
  // Not a device event: it only moves time on (the session ignores its type).
  void tick() {
    if (!lastMicroseconds_) {
      return;
    }
    const std::int64_t tick = nowMicroseconds(clock_) - clockAhead_ - tickLagMicroseconds;
    if (tick > *lastMicroseconds_) {
      session_.feed({tick, EV_MSC, MSC_TIMESTAMP, 0});
      lastMicroseconds_ = tick;
    }
  }

  // Feeds every event the node holds; false once it went away.
  bool readPending() {
    input_event event{};
    for (;;) {
      switch (device_.next(event)) {
        case lx::EvdevDevice::ReadStatus::event:
        case lx::EvdevDevice::ReadStatus::resyncEvent:
          feed({microsecondsOf(event), event.type, event.code, event.value});
          break;
        case lx::EvdevDevice::ReadStatus::dropped:
          // The state that follows replaces what was lost.
          break;
        case lx::EvdevDevice::ReadStatus::empty:
          return true;
        case lx::EvdevDevice::ReadStatus::gone:
          err_ << "tactora: " << node_ << " went away\n";
          return false;
      }
    }
  }

  void feed(const platform::EvemuRecording::Event& fed) {
    if (!lastMicroseconds_) {
      clockAhead_ = nowMicroseconds(clock_) - fed.timeMicroseconds;
    }
    session_.feed(fed);
    if (recorder_ != nullptr) {
      recorder_->write(fed);
    }
    lastMicroseconds_ =
        std::max(lastMicroseconds_.value_or(fed.timeMicroseconds), fed.timeMicroseconds);
  }

  lx::EvdevDevice& device_;
  const std::string node_;
  ReplaySession& session_;
  EvemuRecorder* recorder_;
  std::ostream& err_;
  const clockid_t clock_;
  std::optional<std::int64_t> lastMicroseconds_;
  // The device's times and the clock's, set apart by this much at the first event: ticks follow
  // the clock in the device's time (which a recording or an emulated device sets freely).
  std::int64_t clockAhead_ = 0;
};

int runMonitor(const Arguments& arguments, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> node = chooseNode(arguments, err);
  std::optional<lx::EvdevDevice> device = node ? openNode(*node, err) : std::nullopt;
  if (!device) {
    return 1;
  }
  const platform::EvemuRecording description = EvemuRecorder::describe(device->handle());
  std::unique_ptr<EvemuRecorder> recorder;
  if (!arguments.record.empty()) {
    recorder = std::make_unique<EvemuRecorder>(arguments.record, description);
    if (!recorder->ok()) {
      err << "tactora: " << arguments.record << ": cannot write: " << std::strerror(errno) << '\n';
      return 1;
    }
  }
  const platform::UniqueFd signalFd = quitSignals();

  ReplaySession::Options options;
  options.actions = arguments.actions;
  options.time = arguments.time;
  options.flushEachLine = true;
  auto started = ReplaySession::start(description, *node, options, out, err);
  if (!started) {
    err << "tactora: " << started.error().description() << '\n';
    return ReplaySession::exitStatus(started.error());
  }
  err << "tactora: watching " << *node << " (\"" << description.name << "\"); Ctrl-C ends\n";
  MonitorLoop(*device, *node, **started, recorder.get(), err).run(signalFd.get());
  (*started)->finish();
  return 0;
}

}  // namespace

void registerMonitorCommand(CLI::App& app) {
  auto* monitor = app.add_subcommand(
      "monitor",
      "Run the live Magic Mouse through the whole application on a simulated desktop and print "
      "what it recognises, like `tactora replay` (the mouse keeps working normally)");
  auto arguments = std::make_shared<Arguments>();
  monitor->add_option("--device", arguments->device,
                      "The event node to watch (default: the Magic Mouse, found like the "
                      "application finds it)");
  monitor->add_flag("--actions", arguments->actions,
                    "Also print the routing of each gesture, what would be asked of the desktop "
                    "and what happens to each native scroll event");
  monitor->add_flag("--time", arguments->time,
                    "Put the time in seconds since the first event in front of each line");
  monitor->add_option("--record", arguments->record,
                      "Also write what was read as an evemu recording, which `tactora replay` "
                      "reads back with the same output");
  monitor->callback([arguments] {
    const int status = runMonitor(*arguments, std::cout, std::cerr);
    if (status != 0) {
      throw CLI::RuntimeError(status);
    }
  });
}

}  // namespace tactora
