#include "Tactora/replay/ReplaySession.h"

#include <linux/input-event-codes.h>

#include <ostream>
#include <string_view>
#include <utility>

#include "ActionKit/SyntheticScroll.h"
#include "Platform/AtomicFile.h"
#include "Platform/Log.h"
#include "Platform/LogSink.h"
#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/HeadlessGestureOverlay.h"
#include "Tactora/RoutingObserver.h"
#include "Tactora/config/FileIO.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "Tactora/input/MTBridge.h"
#include "Tactora/replay/DesktopLines.h"
#include "Tactora/replay/EvdevReportRouter.h"
#include "Tactora/replay/ReplayOutput.h"

namespace tactora {
namespace {

// Errors of the configuration store go to standard error, so a broken --config file does not
// pass silently; everything else the application logs stays out of the output.
class ConfigErrorSink final : public platform::LogSink {
 public:
  explicit ConfigErrorSink(std::ostream& err) : err_(err) {}

  void write(const platform::LogRecord& record) override {
    if (record.level == platform::LogLevel::error && record.category == "ConfigStore") {
      err_ << "tactora: " << record.message << '\n';
    }
  }
  bool wantsDebug() const override { return false; }

 private:
  std::ostream& err_;
};

// Every gesture event as a line, and with --actions the routing decision after it.
class RoutingLines final : public RoutingObserver {
 public:
  RoutingLines(ReplayOutput& output, bool actions) : output_(output), actions_(actions) {}

  void gestureReceived(const GestureEvent& event) override { output_.line(event.description()); }
  void gestureRouted(const RoutingDecision& decision) override {
    if (actions_) {
      output_.line(decision.description());
    }
  }

 private:
  ReplayOutput& output_;
  bool actions_;
};

// The simulated provider's view of the device: its ids and the ranges of its position axes.
SimMTEvdevDevice evdevDevice(const platform::EvemuRecording& device,
                             const platform::EvemuRecording::Axis& axisX,
                             const platform::EvemuRecording::Axis& axisY) {
  SimMTEvdevDevice evdev{};
  if (device.id) {
    evdev.vendor = device.id->vendor;
    evdev.product = device.id->product;
  }
  evdev.xMinimum = axisX.minimum;
  evdev.xMaximum = axisX.maximum;
  evdev.xResolution = axisX.resolution;
  evdev.yMinimum = axisY.minimum;
  evdev.yMaximum = axisY.maximum;
  evdev.yResolution = axisY.resolution;
  return evdev;
}

}  // namespace

struct ReplaySession::State {
  State(TemporaryDirectory directory, sim::SimMultitouch provider, const Options& options,
        std::ostream& out, std::ostream& err)
      : configDirectory(std::move(directory)),
        multitouch(std::move(provider)),
        desktop(std::make_shared<sim::SimPlatform>(startUptimeSeconds)),
        output(
            out, options.time,
            [timeline = &desktop->timeline()] { return timeline->now() - startUptimeSeconds; },
            options.flushEachLine),
        actions(options.actions),
        previousSink(platform::Log::setSink(std::make_shared<ConfigErrorSink>(err))) {}

  TemporaryDirectory configDirectory;
  sim::SimMultitouch multitouch;
  std::shared_ptr<sim::SimPlatform> desktop;
  ReplayOutput output;
  bool actions;
  std::shared_ptr<platform::LogSink> previousSink;
  std::optional<DesktopLines> desktopLines;
  std::optional<EvdevReportRouter> router;
  std::shared_ptr<AppDelegate> app;
  std::optional<std::int64_t> firstMicroseconds;
  bool finished = false;
};

Expected<std::unique_ptr<ReplaySession>> ReplaySession::start(
    const platform::EvemuRecording& device, const std::string& name, const Options& options,
    std::ostream& out, std::ostream& err) {
  const platform::EvemuRecording::Axis* axisX = device.axis(ABS_MT_POSITION_X);
  const platform::EvemuRecording::Axis* axisY = device.axis(ABS_MT_POSITION_Y);
  if (axisX == nullptr || axisY == nullptr) {
    return InputError::dataCorrupted(
               "not a multitouch recording: it has no ABS_MT_POSITION_X and ABS_MT_POSITION_Y axes")
        .in(name);
  }

  TemporaryDirectory configDirectory("tactora-replay");
  if (configDirectory.path().empty()) {
    return InputError::fileAccess({}, "cannot create a temporary directory for the configuration");
  }
  if (options.configFile) {
    const Expected<std::string> read = fileio::readWholeFile(*options.configFile);
    if (!read) {
      return InputError::fileAccess(*options.configFile, "cannot open: " + read.error().message);
    }
    if (const auto problem =
            platform::AtomicFile::create(configDirectory.path() / "config.json", *read)) {
      return InputError::fileAccess({}, "cannot copy the configuration: " + *problem);
    }
  }

  const std::string providerPath = sim::SimMultitouch::defaultPath();
  std::string providerProblem;
  std::optional<sim::SimMultitouch> multitouch =
      sim::SimMultitouch::bind(providerPath, &providerProblem);
  if (!multitouch) {
    return InputError::fileAccess(
        {}, "cannot load the simulated multitouch provider: " + providerProblem);
  }

  auto state = std::make_unique<State>(std::move(configDirectory), std::move(*multitouch), options,
                                       out, err);
  sim::SimPlatform& desktop = *state->desktop;
  // A pause in a recording, however long, costs nothing: only watchdogs would run in it.
  desktop.timeline().setCollapsesIdleTime(true);
  platform::Platform::install(state->desktop);
  desktop.events().setPointer({startPointerX, startPointerY});

  state->multitouch.reset();
  MTBridgeSetProviderPath(providerPath.c_str());
  const std::int32_t deviceIndex = state->multitouch.addDevice(false);
  state->multitouch.configureEvdev(deviceIndex, evdevDevice(device, *axisX, *axisY));
  ReplayOutput* scrollLines = options.actions ? &state->output : nullptr;
  state->router.emplace(desktop.events(), state->multitouch, deviceIndex,
                        [scrollLines](std::int32_t vertical, std::int32_t horizontal, bool passed) {
                          if (scrollLines != nullptr) {
                            scrollLines->line("scroll(vertical: " + std::to_string(vertical) +
                                              ", horizontal: " + std::to_string(horizontal) + ") " +
                                              (passed ? "passed" : "swallowed"));
                          }
                        });
  state->desktopLines.emplace(desktop, options.actions ? &state->output : nullptr);

  AppDelegate::Options appOptions;
  appOptions.configDirectory = state->configDirectory.path();
  platform::Platform* installed = state->desktop.get();
  appOptions.makeOverlay = [installed] {
    return std::make_shared<HeadlessGestureOverlay>(*installed);
  };
  state->app = AppDelegate::create(desktop, std::move(appOptions));
  state->app->addRoutingObserver(std::make_shared<RoutingLines>(state->output, options.actions));
  state->app->applicationDidFinishLaunching();
  desktop.timeline().runDue();
  return std::unique_ptr<ReplaySession>(new ReplaySession(std::move(state)));
}

ReplaySession::ReplaySession(std::unique_ptr<State> state) : state_(std::move(state)) {}

ReplaySession::~ReplaySession() {
  finish();
  state_->app.reset();
  state_->desktopLines.reset();
  state_->output.flush();
  platform::Log::setSink(state_->previousSink);
  state_->multitouch.reset();
}

void ReplaySession::feed(const platform::EvemuRecording::Event& event) {
  if (!state_->firstMicroseconds) {
    state_->firstMicroseconds = event.timeMicroseconds;
  }
  const double relativeSeconds =
      static_cast<double>(event.timeMicroseconds - *state_->firstMicroseconds) / 1e6;
  sim::VirtualTimeline& timeline = state_->desktop->timeline();
  const double uptime = startUptimeSeconds + relativeSeconds;
  if (uptime > timeline.now()) {
    timeline.advanceTo(uptime);
  }
  state_->router->route(relativeSeconds, event.type, event.code, event.value);
}

void ReplaySession::finish() {
  if (state_->finished) {
    return;
  }
  state_->finished = true;
  // Repeating timers (the watchdog, the tap watchdogs) fire on the way but do not keep the
  // session going; momentum is a repeating timer too, but it ends by itself.
  sim::VirtualTimeline& timeline = state_->desktop->timeline();
  for (;;) {
    timeline.runUntilIdle();
    if (!SyntheticScroll::shared().isMomentumRunning()) {
      break;
    }
    const std::optional<double> next = timeline.nextDueTime();
    if (!next) {
      break;
    }
    timeline.advanceTo(*next);
  }
  state_->app->applicationWillTerminate();
  timeline.runDue();
  state_->output.flush();
}

}  // namespace tactora
