#include "Platform/linux/battery/LinuxBattery.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Logger.h"
#include "Platform/linux/battery/PowerSupplyReader.h"
#include "Platform/linux/battery/UPowerReader.h"
#include "Platform/linux/bus/BusConnection.h"
#include "Platform/linux/input/DeviceDiscovery.h"
#include "Platform/linux/input/UdevContext.h"

namespace tactora::lx {

namespace {

using Clock = std::chrono::steady_clock;

constexpr platform::Logger logger{"Battery"};

struct SlotFree {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotFree>;

// The device the evdev provider would open: the first external one with a touch surface.
std::optional<DeviceFacts> findMouse(const UdevContext& udev) {
  for (DiscoveredDevice& device : DeviceDiscovery::discover(udev)) {
    if (device.facts && isExternal(device.facts->role())) {
      return std::move(device.facts);
    }
  }
  return std::nullopt;
}

UPowerReader::Mouse identify(const DeviceFacts& mouse, const std::optional<std::string>& supply) {
  return {supply ? std::filesystem::path(*supply).filename().string() : std::string(), mouse.uniq,
          mouse.name};
}

}  // namespace

// What the thread knows and holds: the udev monitor, the system bus and its signal matches, the
// mouse and where its level comes from. Lives on the thread only.
class LinuxBattery::Watch {
 public:
  explicit Watch(const LinuxBattery::Options& options) : options_(options) {
    monitor_ = udev_.monitor();
    connectBus();
    findMouse();
  }

  // The level as the sources give it now: UPower's when it lists the mouse, else the kernel's.
  std::optional<platform::BatteryLevel> read() {
    if (upowerPath_ && bus_) {
      if (auto level = UPowerReader(*bus_, options_.busTimeout).read(*upowerPath_)) {
        return level;
      }
      logger.notice("UPower gives no level for %{public}s now; reading the kernel's supply",
                    {*upowerPath_});
      upowerPath_.reset();
    }
    if (supply_) {
      lastSupplyRead_ = Clock::now();
      return PowerSupplyReader::read(*supply_);
    }
    return std::nullopt;
  }

  // Whether a reading is due now: something changed, or the kernel's supply's interval passed.
  bool due() {
    const bool changed = std::exchange(changed_, false);
    return changed ||
           (followsSupply() && Clock::now() >= lastSupplyRead_ + options_.powerSupplyInterval);
  }

  // The menu is about to open: UPower is asked again at once, the kernel's supply at its pace.
  void refreshRequested() {
    if (!mouse_ && !monitor_ && Clock::now() >= lastScan_ + options_.powerSupplyInterval) {
      findMouse();
    }
    if (upowerPath_) {
      changed_ = true;
    }
  }

  // Handles what the bus and the udev monitor delivered.
  void process(const pollfd& busEvents, const pollfd& udevEvents) {
    if (monitor_ && (udevEvents.revents & POLLIN) != 0 && !monitor_->receive().empty()) {
      findMouse();
    }
    if (!bus_) {
      return;
    }
    int result = 0;
    while ((result = sd_bus_process(bus_->get(), nullptr)) > 0) {
    }
    if (result < 0 || (busEvents.revents & (POLLHUP | POLLERR)) != 0) {
      logger.notice("the system bus went away: UPower is not asked any more");
      matches_.clear();
      bus_.reset();
      upowerPath_.reset();
      changed_ = true;
      return;
    }
    if (std::exchange(upowerChanged_, false) && mouse_) {
      lookUpUPower();
    }
  }

  // The descriptors to wait on and how long, given when the next supply reading is due.
  int pollTimeout() const {
    std::optional<Clock::time_point> deadline;
    if (followsSupply()) {
      deadline = lastSupplyRead_ + options_.powerSupplyInterval;
    }
    std::uint64_t busDeadline = std::numeric_limits<std::uint64_t>::max();
    int busTimeout = -1;
    if (bus_ && sd_bus_get_timeout(bus_->get(), &busDeadline) >= 0) {
      busTimeout = BusConnection::pollTimeout(busDeadline);
    }
    int supplyTimeout = -1;
    if (deadline) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
      supplyTimeout = static_cast<int>(std::max<std::int64_t>(0, left.count()));
    }
    if (busTimeout < 0) {
      return supplyTimeout;
    }
    return supplyTimeout < 0 ? busTimeout : std::min(busTimeout, supplyTimeout);
  }

  pollfd busPoll() const {
    if (!bus_) {
      return {-1, 0, 0};
    }
    const int events = sd_bus_get_events(bus_->get());
    return {sd_bus_get_fd(bus_->get()), static_cast<short>(events < 0 ? 0 : events), 0};
  }
  pollfd udevPoll() const { return {monitor_ ? monitor_->fd() : -1, POLLIN, 0}; }

 private:
  bool followsSupply() const { return mouse_ && supply_ && !upowerPath_; }

  void connectBus() {
    bus_ = BusConnection::connectSystem();
    if (!bus_) {
      logger.notice("no system bus: the mouse's battery is read from the kernel only");
      return;
    }
    // UPower starting or stopping, its devices coming and going, and their properties changing.
    const char* rules[] = {
        "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
        "member='NameOwnerChanged',arg0='org.freedesktop.UPower'",
        "type='signal',interface='org.freedesktop.UPower',path='/org/freedesktop/UPower'",
        "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
        "path_namespace='/org/freedesktop/UPower/devices'",
    };
    for (const char* rule : rules) {
      sd_bus_slot* slot = nullptr;
      if (sd_bus_add_match(bus_->get(), &slot, rule, &Watch::onSignal, this) < 0) {
        logger.notice("the system bus refused a match: UPower's changes are not followed");
        continue;
      }
      matches_.emplace_back(slot);
    }
  }

  static int onSignal(sd_bus_message* message, void* context, sd_bus_error* /*error*/) {
    auto* watch = static_cast<Watch*>(context);
    if (sd_bus_message_is_signal(message, "org.freedesktop.DBus.Properties", "PropertiesChanged")) {
      const char* path = sd_bus_message_get_path(message);
      if (path != nullptr && watch->upowerPath_ == path) {
        watch->changed_ = true;
      }
      return 0;
    }
    watch->upowerChanged_ = true;  // UPower came, went, or added or removed a device
    return 0;
  }

  void findMouse() {
    lastScan_ = Clock::now();
    std::optional<DeviceFacts> mouse = lx::findMouse(udev_);
    if (mouse && mouse_ && mouse->node == mouse_->node && mouse->isSameDevice(*mouse_)) {
      return;
    }
    mouse_ = std::move(mouse);
    supply_ = mouse_ ? PowerSupplyReader::find(udev_, mouse_->node) : std::nullopt;
    upowerPath_.reset();
    lastSupplyRead_ = {};
    changed_ = true;
    if (mouse_) {
      logger.notice("mouse %{public}s: kernel power supply %{public}s",
                    {mouse_->node, supply_.value_or("none")});
      lookUpUPower();
    }
  }

  void lookUpUPower() {
    const std::optional<std::string> before = upowerPath_;
    upowerPath_.reset();
    if (bus_ && mouse_) {
      std::string problem;
      upowerPath_ =
          UPowerReader(*bus_, options_.busTimeout).find(identify(*mouse_, supply_), &problem);
      if (!upowerPath_ && problem != lastProblem_) {
        logger.notice("%{public}s for %{public}s", {problem, mouse_->node});
      }
      lastProblem_ = problem;
    }
    if (upowerPath_ != before) {
      changed_ = true;
      if (upowerPath_) {
        logger.notice("mouse %{public}s: UPower device %{public}s", {mouse_->node, *upowerPath_});
      }
    }
  }

  const LinuxBattery::Options& options_;
  UdevContext udev_;
  std::unique_ptr<UdevContext::Monitor> monitor_;
  std::optional<BusConnection> bus_;
  std::vector<SlotPtr> matches_;
  std::optional<DeviceFacts> mouse_;
  std::optional<std::string> supply_;
  std::optional<std::string> upowerPath_;
  Clock::time_point lastSupplyRead_{};
  Clock::time_point lastScan_{};
  bool changed_ = true;
  bool upowerChanged_ = false;
  std::string lastProblem_;  // logged once until it changes
};

LinuxBattery::LinuxBattery(Options options)
    : options_(options), wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

LinuxBattery::~LinuxBattery() {
  stop();
  if (wakeUp_ >= 0) {
    ::close(wakeUp_);
  }
}

void LinuxBattery::start(std::function<void()> onChange) {
  reading_.observe(std::move(onChange));
  if (!thread_.joinable() && wakeUp_ >= 0) {
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
  }
}

void LinuxBattery::stop() {
  if (thread_.joinable()) {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
    thread_.join();
  }
  // Not followed any more: what was read last would only grow stale.
  reading_.clear();
}

std::optional<platform::BatteryLevel> LinuxBattery::level() {
  return reading_.level();
}

void LinuxBattery::refresh() {
  if (!thread_.joinable()) {
    return;
  }
  refreshRequested_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
}

void LinuxBattery::run() {
  ::pthread_setname_np(::pthread_self(), threadName);
  Watch watch(options_);
  while (!stopping_) {
    if (watch.due()) {
      reading_.publish(watch.read());
    }
    pollfd fds[3] = {watch.busPoll(), watch.udevPoll(), {wakeUp_, POLLIN, 0}};
    if (::poll(fds, 3, watch.pollTimeout()) < 0 && errno != EINTR) {
      break;
    }
    if ((fds[2].revents & POLLIN) != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t drained = ::read(wakeUp_, &count, sizeof count);
      if (refreshRequested_.exchange(false)) {
        watch.refreshRequested();
      }
    }
    watch.process(fds[0], fds[1]);
  }
}

std::optional<platform::BatteryLevel> LinuxBattery::readOnce(const DeviceFacts& mouse,
                                                             std::chrono::milliseconds busTimeout) {
  const UdevContext udev;
  const std::optional<std::string> supply = PowerSupplyReader::find(udev, mouse.node);
  if (const std::optional<BusConnection> bus = BusConnection::connectSystem()) {
    const UPowerReader upower(*bus, busTimeout);
    if (const auto path = upower.find(identify(mouse, supply))) {
      if (auto level = upower.read(*path)) {
        return level;
      }
    }
  }
  return supply ? PowerSupplyReader::read(*supply) : std::nullopt;
}

}  // namespace tactora::lx
