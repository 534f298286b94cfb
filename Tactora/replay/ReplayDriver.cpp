#include "Tactora/replay/ReplayDriver.h"

#include <linux/input-event-codes.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
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
#include "Tactora/input/MTBridge.h"
#include "Tactora/replay/EvemuReader.h"
#include "Tactora/replay/ReplayPlatform.h"

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

// A private directory for the replay's configuration store, removed afterwards, so a replay
// never reads or writes the user's own configuration.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tactora-replay-XXXXXX");
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~TemporaryDirectory() {
    if (!path_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(path_, ignored);
    }
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::optional<std::string> readWholeFile(const std::string& path, std::string& problem) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    problem = std::string("cannot open: ") + std::strerror(errno);
    return std::nullopt;
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  if (file.bad()) {
    problem = "cannot read the file";
    return std::nullopt;
  }
  return contents.str();
}

// Wheel motion of one report. A device with high-resolution wheels reports both the detents and
// the 1/120 steps; the detents are used then, and only reports with steps alone add them up.
struct WheelMotion {
  std::int32_t vertical = 0;
  std::int32_t horizontal = 0;
  std::int32_t verticalHiRes = 0;
  std::int32_t horizontalHiRes = 0;
  bool hasVertical = false;
  bool hasHorizontal = false;
  bool hasVerticalHiRes = false;
  bool hasHorizontalHiRes = false;
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

  TemporaryDirectory configDirectory;
  if (configDirectory.path().empty()) {
    err << "tactora: cannot create a temporary directory for the configuration\n";
    return failedToStart;
  }
  if (options.configFile) {
    std::string problem;
    std::optional<std::string> bytes = readWholeFile(*options.configFile, problem);
    if (!bytes) {
      err << "tactora: " << *options.configFile << ": " << problem << '\n';
      return unreadableInput;
    }
    std::ofstream copy(configDirectory.path() / "config.json", std::ios::binary);
    copy << *bytes;
    if (!copy.flush()) {
      err << "tactora: cannot copy the configuration to " << configDirectory.path().string()
          << '\n';
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
  sim::VirtualTimeline& timeline = simPlatform->timeline();
  sim::SimEvents& simEvents = simPlatform->events();
  Output output(out, options.time, timeline);
  const bool actions = options.actions;
  // The platform outlives the replay (installed platforms are kept for the life of the process),
  // so its observer reaches the output through a pointer that is cleared when the replay ends.
  auto postOutput = std::make_shared<Output*>(actions ? &output : nullptr);
  auto replayPlatform =
      std::make_shared<ReplayPlatform>(simPlatform, [postOutput](const Event& event) {
        if (*postOutput != nullptr) {
          (*postOutput)->line("post " + describePosted(event));
        }
      });
  platform::Platform::install(replayPlatform);
  simEvents.setPointer({startPointerX, startPointerY});

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
    std::shared_ptr<AppDelegate> app;
    {
      AppDelegate::Options appOptions;
      appOptions.configDirectory = configDirectory.path();
      platform::Platform* installed = replayPlatform.get();
      appOptions.makeOverlay = [installed] {
        return std::make_shared<HeadlessGestureOverlay>(*installed);
      };
      app = AppDelegate::create(*replayPlatform, std::move(appOptions));
    }
    app->setGestureObserver(
        [&output](const GestureEvent& event) { output.line(event.description()); });
    app->applicationDidFinishLaunching();
    timeline.runDue();

    const std::int64_t firstMicros =
        recording.events.empty() ? 0 : recording.events.front().timeMicroseconds;
    WheelMotion wheel;
    std::int32_t pendingVerticalHiRes = 0;
    std::int32_t pendingHorizontalHiRes = 0;

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
              wheel.vertical += event.value;
              wheel.hasVertical = true;
              break;
            case REL_HWHEEL:
              wheel.horizontal += event.value;
              wheel.hasHorizontal = true;
              break;
            case REL_WHEEL_HI_RES:
              wheel.verticalHiRes += event.value;
              wheel.hasVerticalHiRes = true;
              break;
            case REL_HWHEEL_HI_RES:
              wheel.horizontalHiRes += event.value;
              wheel.hasHorizontalHiRes = true;
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
            std::int32_t vertical = wheel.vertical;
            std::int32_t horizontal = wheel.horizontal;
            if (!wheel.hasVertical && wheel.hasVerticalHiRes) {
              pendingVerticalHiRes += wheel.verticalHiRes;
              vertical = pendingVerticalHiRes / wheelHiResUnitsPerDetent;
              pendingVerticalHiRes %= wheelHiResUnitsPerDetent;
            }
            if (!wheel.hasHorizontal && wheel.hasHorizontalHiRes) {
              pendingHorizontalHiRes += wheel.horizontalHiRes;
              horizontal = pendingHorizontalHiRes / wheelHiResUnitsPerDetent;
              pendingHorizontalHiRes %= wheelHiResUnitsPerDetent;
            }
            wheel = WheelMotion{};
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
          // The sim keeps every delivered event; a long replay has no use for them.
          simEvents.clearRecords();
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
  *postOutput = nullptr;
  output.flush();
  platform::Log::setSink(previousSink);
  multitouch->reset();
  return succeeded;
}

}  // namespace tactora
