#include "Tactora/replay/ReplayDriver.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>
#include <string_view>
#include <vector>

#include "ActionKit/SyntheticScroll.h"
#include "Platform/EventField.h"
#include "Platform/Log.h"
#include "Platform/LogSink.h"
#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/HeadlessGestureOverlay.h"
#include "Tactora/config/FileIO.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "Tactora/input/MTBridge.h"
#include "Tactora/replay/EvemuReader.h"

namespace tactora {
namespace {

using platform::Event;
using platform::EventField;
using platform::EventType;

// Output is gathered and written in large pieces: a long replay prints millions of lines.
constexpr std::size_t flushThresholdBytes = 1 << 16;
constexpr std::int32_t wheelHiResUnitsPerDetent = 120;

// Lines of the replay's output, in order, with the virtual time in front when asked for.
class Output {
 public:
  Output(std::ostream& out, bool withTime, const sim::VirtualTimeline& timeline)
      : out_(out), withTime_(withTime), timeline_(timeline) {}
  ~Output() { flush(); }

  void line(std::string_view text) {
    if (withTime_) {
      char stamp[32];
      std::snprintf(stamp, sizeof stamp, "%.3f ",
                    timeline_.now() - ReplayDriver::startUptimeSeconds);
      buffer_ += stamp;
    }
    buffer_ += text;
    buffer_ += '\n';
    if (buffer_.size() >= flushThresholdBytes) {
      flush();
    }
  }

  void flush() {
    out_ << buffer_;
    out_.flush();
    buffer_.clear();
  }

 private:
  std::ostream& out_;
  bool withTime_;
  const sim::VirtualTimeline& timeline_;
  std::string buffer_;
};

std::string hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

// Tenths of a point are as fine as a display position needs to be read.
std::string point(platform::Point p) {
  char text[64];
  std::snprintf(text, sizeof text, "(%.1f, %.1f)", p.x, p.y);
  return text;
}

// "keyDown(keyCode: 123, flags: 0x40000)", "leftMouseDown(button: 0, location: (960.0, 540.0),
// clickState: 1)", "scrollWheel(vertical: -40, horizontal: 0)".
std::string describePosted(const Event& event) {
  const EventType type = event.type();
  std::string text = platform::toString(type) + "(";
  auto field = [&](EventField f) { return std::to_string(event.integerValueField(f)); };
  switch (type) {
    case EventType::keyDown:
    case EventType::keyUp:
    case EventType::flagsChanged:
      text +=
          "keyCode: " + field(EventField::keyboardEventKeycode) + ", flags: " + hex(event.flags());
      break;
    case EventType::leftMouseDown:
    case EventType::leftMouseUp:
    case EventType::rightMouseDown:
    case EventType::rightMouseUp:
    case EventType::mouseMoved:
    case EventType::leftMouseDragged:
    case EventType::rightMouseDragged:
    case EventType::otherMouseDown:
    case EventType::otherMouseUp:
    case EventType::otherMouseDragged:
      text += "button: " + field(EventField::mouseEventButtonNumber) +
              ", location: " + point(event.location()) +
              ", clickState: " + field(EventField::mouseEventClickState);
      if (event.integerValueField(EventField::mouseEventDeltaX) != 0 ||
          event.integerValueField(EventField::mouseEventDeltaY) != 0) {
        text += ", delta: (" + field(EventField::mouseEventDeltaX) + ", " +
                field(EventField::mouseEventDeltaY) + ")";
      }
      if (event.flags() != 0) {
        text += ", flags: " + hex(event.flags());
      }
      break;
    case EventType::scrollWheel:
      text += "vertical: " + field(EventField::scrollWheelEventDeltaAxis1) +
              ", horizontal: " + field(EventField::scrollWheelEventDeltaAxis2);
      if (event.flags() != 0) {
        text += ", flags: " + hex(event.flags());
      }
      break;
    case EventType::null:
    case EventType::tapDisabledByTimeout:
    case EventType::tapDisabledByUserInput:
      text += "flags: " + hex(event.flags());
      break;
  }
  return text + ")";
}

// Routing lines of the application go to the output (with --actions); errors of the
// configuration store go to standard error, so a broken --config file does not pass silently.
class ReplayLogSink final : public platform::LogSink {
 public:
  ReplayLogSink(Output& output, std::ostream& err, bool actions)
      : output_(output), err_(err), actions_(actions) {}

  void write(const platform::LogRecord& record) override {
    if (actions_ && record.category == "AppDelegate" &&
        std::string_view(record.message).substr(0, 8) == "gesture ") {
      output_.line(record.message);
    } else if (record.level == platform::LogLevel::error && record.category == "ConfigStore") {
      err_ << "tactora: " << record.message << '\n';
    }
  }
  bool wantsDebug() const override { return actions_; }

 private:
  Output& output_;
  std::ostream& err_;
  bool actions_;
};

// One wheel axis over one report. A device with high-resolution wheels reports both the
// detents and their 1/120 steps; the detents count then, and only reports with steps alone add
// them up, carrying what falls short of a whole detent to the next report. Sums are wide so that
// a recording of absurd values cannot overflow them.
class WheelAxis {
 public:
  void addDetents(std::int32_t value) {
    detents_ += value;
    hasDetents_ = true;
  }
  void addHiResSteps(std::int32_t value) {
    hiResSteps_ += value;
    hasHiResSteps_ = true;
  }

  // The detents of the report that ends now; the axis is then ready for the next report.
  std::int32_t endReport() {
    std::int64_t detents = detents_;
    if (!hasDetents_ && hasHiResSteps_) {
      pendingHiResSteps_ += hiResSteps_;
      detents = pendingHiResSteps_ / wheelHiResUnitsPerDetent;
      pendingHiResSteps_ %= wheelHiResUnitsPerDetent;
    }
    detents_ = 0;
    hiResSteps_ = 0;
    hasDetents_ = false;
    hasHiResSteps_ = false;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(detents, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
  }

 private:
  std::int64_t detents_ = 0;
  std::int64_t hiResSteps_ = 0;
  std::int64_t pendingHiResSteps_ = 0;
  bool hasDetents_ = false;
  bool hasHiResSteps_ = false;
};

// "hot key 79 read (keyCode: 123, modifiers: 0x1000, enabled: true)", "hot key 79 set enabled:
// true", "hot key 7 read (no binding)".
std::string describeHotKeyCall(const sim::SimSystemBridges::HotKeyCall& call,
                               const std::optional<platform::HotKeyValue>& binding) {
  const std::string prefix = "hot key " + std::to_string(call.hotKey) + " ";
  auto describeBinding = [&binding] {
    if (!binding) {
      return std::string("(no binding)");
    }
    return "(keyCode: " + std::to_string(binding->keyCode) +
           ", modifiers: " + hex(binding->modifiers) +
           ", enabled: " + (binding->enabled ? "true" : "false") + ")";
  };
  switch (call.kind) {
    case sim::SimSystemBridges::HotKeyCallKind::getValue:
      return prefix + "read " + describeBinding();
    case sim::SimSystemBridges::HotKeyCallKind::setEnabled:
      return prefix + "set enabled: " + (call.enabled ? "true" : "false");
    case sim::SimSystemBridges::HotKeyCallKind::isEnabled:
      return prefix + "checked " + describeBinding();
  }
  return prefix;
}

// An argument as a shell would need it to read it back as one word: bare when it is plainly one,
// otherwise in double quotes. Control characters are escaped so that an argument never breaks
// the one-line-per-item output.
std::string shellWord(std::string_view argument) {
  const bool bare = !argument.empty() && std::all_of(argument.begin(), argument.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("_./:=@%+,-").find(c) != std::string_view::npos;
  });
  if (bare) {
    return std::string(argument);
  }
  std::string word = "\"";
  for (char c : argument) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '$' || c == '`') {
      word += '\\';
      word += c;
    } else if (c == '\n') {
      word += "\\n";
    } else if (c == '\t') {
      word += "\\t";
    } else if (u < 0x20 || u == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
      word += escaped;
    } else {
      word += c;
    }
  }
  return word + "\"";
}

// Shows everything the application asks of the simulated desktop as output lines, in the order
// it happens: posted events, Dock notifications, hot-key calls, Accessibility actions, opened
// URLs and launched processes. The desktop keeps no records meanwhile (a long replay would hold
// every one). Installed platforms live for the rest of the process, so the observers are removed
// again when the replay ends.
class DesktopLines {
 public:
  // Without `output` nothing is shown; records are switched off all the same.
  DesktopLines(sim::SimPlatform& desktop, Output* output) : desktop_(desktop) {
    desktop.events().setKeepsRecords(false);
    desktop.systemBridges().setKeepsRecords(false);
    desktop.accessibility().setKeepsRecords(false);
    desktop.workspace().setKeepsRecords(false);
    if (output == nullptr) {
      return;
    }
    desktop.events().setPostedObserver([output](const sim::SimEvents::PostedEvent& posted) {
      output->line("post " + describePosted(posted.event));
    });
    desktop.systemBridges().setDockNotificationObserver(
        [output](const std::string& name) { output->line("dock notification " + name); });
    desktop.systemBridges().setHotKeyObserver(
        [output](const sim::SimSystemBridges::HotKeyCall& call,
                 const std::optional<platform::HotKeyValue>& binding) {
          output->line(describeHotKeyCall(call, binding));
        });
    desktop.accessibility().setPerformedObserver(
        [output](const sim::SimAccessibility::PerformedAction& performed) {
          std::string text = "accessibility " + performed.action + " " + performed.element;
          if (performed.result != platform::AXError::success) {
            text += " failed (" + std::to_string(static_cast<int>(performed.result)) + ")";
          }
          output->line(text);
        });
    desktop.workspace().setOpenedURLObserver(
        [output](const std::string& url) { output->line("open URL " + url); });
    desktop.workspace().setLaunchObserver(
        [output](const sim::SimWorkspace::LaunchedProcess& process) {
          std::string text = "launch " + shellWord(process.executable);
          for (const std::string& argument : process.arguments) {
            text += " " + shellWord(argument);
          }
          output->line(text);
        });
  }

  ~DesktopLines() {
    desktop_.events().setPostedObserver(nullptr);
    desktop_.systemBridges().setDockNotificationObserver(nullptr);
    desktop_.systemBridges().setHotKeyObserver(nullptr);
    desktop_.accessibility().setPerformedObserver(nullptr);
    desktop_.workspace().setOpenedURLObserver(nullptr);
    desktop_.workspace().setLaunchObserver(nullptr);
  }
  DesktopLines(const DesktopLines&) = delete;
  DesktopLines& operator=(const DesktopLines&) = delete;

 private:
  sim::SimPlatform& desktop_;
};

}  // namespace

int ReplayDriver::run(const std::string& recordingPath, const Options& options, std::ostream& out,
                      std::ostream& err) {
  EvemuReader::Result read = EvemuReader::readFile(recordingPath);
  if (const auto* error = std::get_if<EvemuReader::Error>(&read)) {
    err << EvemuReader::describe(recordingPath, *error) << '\n';
    return unreadableInput;
  }
  return replay(std::get<EvemuRecording>(read), recordingPath, options, out, err);
}

int ReplayDriver::replay(const EvemuRecording& recording, const std::string& name,
                         const Options& options, std::ostream& out, std::ostream& err) {
  const EvemuRecording::Axis* axisX = recording.axis(ABS_MT_POSITION_X);
  const EvemuRecording::Axis* axisY = recording.axis(ABS_MT_POSITION_Y);
  if (axisX == nullptr || axisY == nullptr) {
    err << "tactora: " << name
        << ": not a multitouch recording: it has no ABS_MT_POSITION_X and ABS_MT_POSITION_Y "
           "axes\n";
    return unreadableInput;
  }

  TemporaryDirectory configDirectory("tactora-replay");
  if (configDirectory.path().empty()) {
    err << "tactora: cannot create a temporary directory for the configuration\n";
    return failedToStart;
  }
  if (options.configFile) {
    const fileio::ReadResult read = fileio::readWholeFile(*options.configFile);
    if (!read.bytes) {
      err << "tactora: " << *options.configFile << ": cannot open: " << read.error << '\n';
      return unreadableInput;
    }
    if (const auto problem =
            fileio::writeNewFile(configDirectory.path() / "config.json", *read.bytes, false)) {
      err << "tactora: cannot copy the configuration: " << *problem << '\n';
      return failedToStart;
    }
  }

  const std::string providerPath = sim::SimMultitouch::defaultPath();
  std::string providerProblem;
  std::optional<sim::SimMultitouch> multitouch =
      sim::SimMultitouch::bind(providerPath, &providerProblem);
  if (!multitouch) {
    err << "tactora: cannot load the simulated multitouch provider: " << providerProblem << '\n';
    return failedToStart;
  }

  auto simPlatform = std::make_shared<sim::SimPlatform>(startUptimeSeconds);
  platform::Platform::install(simPlatform);
  sim::VirtualTimeline& timeline = simPlatform->timeline();
  sim::SimEvents& simEvents = simPlatform->events();
  simEvents.setPointer({startPointerX, startPointerY});
  Output output(out, options.time, timeline);
  const bool actions = options.actions;

  auto previousSink = platform::Log::setSink(std::make_shared<ReplayLogSink>(output, err, actions));

  multitouch->reset();
  MTBridgeSetProviderPath(providerPath.c_str());
  const std::int32_t device = multitouch->addDevice(false);
  SimMTEvdevDevice evdev{};
  if (recording.id) {
    evdev.vendor = recording.id->vendor;
    evdev.product = recording.id->product;
  }
  evdev.xMinimum = axisX->minimum;
  evdev.xMaximum = axisX->maximum;
  evdev.xResolution = axisX->resolution;
  evdev.yMinimum = axisY->minimum;
  evdev.yMaximum = axisY->maximum;
  evdev.yResolution = axisY->resolution;
  multitouch->configureEvdev(device, evdev);

  {
    const DesktopLines desktopLines(*simPlatform, actions ? &output : nullptr);
    std::shared_ptr<AppDelegate> app;
    {
      AppDelegate::Options appOptions;
      appOptions.configDirectory = configDirectory.path();
      platform::Platform* installed = simPlatform.get();
      appOptions.makeOverlay = [installed] {
        return std::make_shared<HeadlessGestureOverlay>(*installed);
      };
      app = AppDelegate::create(*simPlatform, std::move(appOptions));
    }
    app->setGestureObserver(
        [&output](const GestureEvent& event) { output.line(event.description()); });
    app->applicationDidFinishLaunching();
    timeline.runDue();

    const std::int64_t firstMicros =
        recording.events.empty() ? 0 : recording.events.front().timeMicroseconds;
    WheelAxis verticalWheel;
    WheelAxis horizontalWheel;

    for (const EvemuRecording::Event& event : recording.events) {
      const double relativeSeconds =
          static_cast<double>(event.timeMicroseconds - firstMicros) / 1e6;
      const double uptime = startUptimeSeconds + relativeSeconds;
      if (uptime > timeline.now()) {
        timeline.advanceTo(uptime);
      }
      switch (event.type) {
        case EV_ABS:
          multitouch->feedEvdev(device, relativeSeconds, event.type, event.code, event.value);
          break;
        case EV_REL:
          switch (event.code) {
            case REL_X:
            case REL_Y: {
              platform::Point pointer = simEvents.pointer();
              (event.code == REL_X ? pointer.x : pointer.y) += event.value;
              simEvents.setPointer(pointer);
              break;
            }
            case REL_WHEEL:
              verticalWheel.addDetents(event.value);
              break;
            case REL_HWHEEL:
              horizontalWheel.addDetents(event.value);
              break;
            case REL_WHEEL_HI_RES:
              verticalWheel.addHiResSteps(event.value);
              break;
            case REL_HWHEEL_HI_RES:
              horizontalWheel.addHiResSteps(event.value);
              break;
            default:
              break;
          }
          break;
        case EV_KEY:
          // Only the left button matters to the taps; 2 is the kernel's auto-repeat.
          if (event.code == BTN_LEFT && (event.value == 0 || event.value == 1)) {
            simEvents.deliver(sim::SimEvents::nativeMouseEvent(
                event.value == 1 ? EventType::leftMouseDown : EventType::leftMouseUp,
                simEvents.pointer()));
          }
          break;
        case EV_SYN:
          if (event.code == SYN_REPORT) {
            const std::int32_t vertical = verticalWheel.endReport();
            const std::int32_t horizontal = horizontalWheel.endReport();
            if (vertical != 0 || horizontal != 0) {
              const std::optional<Event> passed =
                  simEvents.deliver(sim::SimEvents::nativeScrollEvent(vertical, horizontal));
              if (actions) {
                output.line("scroll(vertical: " + std::to_string(vertical) + ", horizontal: " +
                            std::to_string(horizontal) + ") " + (passed ? "passed" : "swallowed"));
              }
            }
          }
          multitouch->feedEvdev(device, relativeSeconds, event.type, event.code, event.value);
          break;
        default:
          break;
      }
    }

    // Let what the session set going finish: momentum, the app switcher's release, the overlay's
    // fade. Repeating timers (the watchdog, the tap watchdogs) fire on the way but do not keep
    // the replay going; momentum is a repeating timer too, but it ends by itself.
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
    app->applicationWillTerminate();
    timeline.runDue();
  }
  output.flush();
  platform::Log::setSink(previousSink);
  multitouch->reset();
  return succeeded;
}

}  // namespace tactora
