#include "Tactora/replay/DesktopLines.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/EventField.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/replay/ReplayOutput.h"

namespace tactora {
namespace {

using platform::Event;
using platform::EventField;
using platform::EventType;

template <typename... Format>
void appendNumber(std::string& text, auto value, Format... format) {
  char digits[48];
  const auto written = std::to_chars(digits, digits + sizeof digits, value, format...);
  text.append(digits, written.ptr);
}

void appendHex(std::string& text, std::uint64_t value) {
  text += "0x";
  appendNumber(text, value, 16);
}

std::string hex(std::uint64_t value) {
  std::string text;
  appendHex(text, value);
  return text;
}

// The posted-event line is the busiest line of a replay (every pointer move of a drag is one),
// so it is appended into one reused buffer with std::to_chars rather than built from temporary
// strings and printf: that formatting was a quarter of a whole replay's instructions.
class PostedLine {
 public:
  // "keyDown(keyCode: 123, flags: 0x40000)", "leftMouseDown(button: 0, location: (960.0, 540.0),
  // clickState: 1)", "scrollWheel(vertical: -40, horizontal: 0)".
  std::string_view describe(const Event& event) {
    const EventType type = event.type();
    text_.assign("post ");
    text_ += platform::toString(type);
    text_ += '(';
    switch (type) {
      case EventType::keyDown:
      case EventType::keyUp:
      case EventType::flagsChanged:
        field("keyCode: ", event, EventField::keyboardEventKeycode);
        hexFlags(", flags: ", event.flags());
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
        field("button: ", event, EventField::mouseEventButtonNumber);
        point(", location: ", event.location());
        field(", clickState: ", event, EventField::mouseEventClickState);
        if (event.integerValueField(EventField::mouseEventDeltaX) != 0 ||
            event.integerValueField(EventField::mouseEventDeltaY) != 0) {
          field(", delta: (", event, EventField::mouseEventDeltaX);
          field(", ", event, EventField::mouseEventDeltaY);
          text_ += ')';
        }
        if (event.flags() != 0) {
          hexFlags(", flags: ", event.flags());
        }
        break;
      case EventType::scrollWheel:
        field("vertical: ", event, EventField::scrollWheelEventDeltaAxis1);
        field(", horizontal: ", event, EventField::scrollWheelEventDeltaAxis2);
        if (event.flags() != 0) {
          hexFlags(", flags: ", event.flags());
        }
        break;
      case EventType::null:
      case EventType::tapDisabledByTimeout:
      case EventType::tapDisabledByUserInput:
        hexFlags("flags: ", event.flags());
        break;
    }
    text_ += ')';
    return text_;
  }

 private:
  void field(std::string_view label, const Event& event, EventField f) {
    text_ += label;
    appendNumber(text_, event.integerValueField(f));
  }
  void hexFlags(std::string_view label, std::uint64_t flags) {
    text_ += label;
    appendHex(text_, flags);
  }
  // Tenths of a point are as fine as a display position needs to be read.
  void point(std::string_view label, platform::Point p) {
    text_ += label;
    text_ += '(';
    appendNumber(text_, p.x, std::chars_format::fixed, 1);
    text_ += ", ";
    appendNumber(text_, p.y, std::chars_format::fixed, 1);
    text_ += ')';
  }

  std::string text_;
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

}  // namespace

DesktopLines::DesktopLines(sim::SimPlatform& desktop, ReplayOutput* output) : desktop_(desktop) {
  desktop.events().setKeepsRecords(false);
  desktop.systemBridges().setKeepsRecords(false);
  desktop.accessibility().setKeepsRecords(false);
  desktop.workspace().setKeepsRecords(false);
  if (output == nullptr) {
    return;
  }
  desktop.events().setPostedObserver(
      [output, line = PostedLine()](const sim::SimEvents::PostedEvent& posted) mutable {
        output->line(line.describe(posted.event));
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
          text += ' ';
          text += shellWord(argument);
        }
        output->line(text);
      });
}

DesktopLines::~DesktopLines() {
  desktop_.events().setPostedObserver(nullptr);
  desktop_.systemBridges().setDockNotificationObserver(nullptr);
  desktop_.systemBridges().setHotKeyObserver(nullptr);
  desktop_.accessibility().setPerformedObserver(nullptr);
  desktop_.workspace().setOpenedURLObserver(nullptr);
  desktop_.workspace().setLaunchObserver(nullptr);
}

}  // namespace tactora
