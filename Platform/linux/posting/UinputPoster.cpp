#include "Platform/linux/posting/UinputPoster.h"

#include <cmath>
#include <limits>
#include <utility>

#include "Platform/FixedShortcut.h"
#include "Platform/linux/input/UinputWriter.h"
#include "Platform/linux/posting/FixedShortcutTable.h"
#include "Platform/linux/posting/KeyCodeTable.h"

namespace tactora::lx {

namespace {

using platform::Event;
using platform::EventField;
using platform::EventType;

constexpr std::int32_t maxClickState = 3;  // a triple click; desktops read nothing beyond it

std::optional<FixedShortcutTable::Chord> fixedChord(const Event& event, DesktopFamily desktop) {
  const auto shortcut =
      static_cast<platform::FixedShortcut>(event.integerValueField(EventField::fixedShortcut));
  return FixedShortcutTable::chord(shortcut, desktop);
}

// The kernel button of a mouse event; empty for a button the pointer does not have.
std::optional<std::uint16_t> buttonOf(const Event& event) {
  switch (event.type()) {
    case EventType::leftMouseDown:
    case EventType::leftMouseUp:
      return BTN_LEFT;
    case EventType::rightMouseDown:
    case EventType::rightMouseUp:
      return BTN_RIGHT;
    default:
      break;
  }
  switch (event.integerValueField(EventField::mouseEventButtonNumber)) {
    case 2:
      return BTN_MIDDLE;
    case 3:
      return BTN_SIDE;
    case 4:
      return BTN_EXTRA;
    default:
      return std::nullopt;
  }
}

// Nearest integer, halves away from zero; empty when it is no finite 32-bit motion.
std::optional<std::int32_t> roundedMotion(double value) {
  const double rounded = std::round(value);
  if (!std::isfinite(rounded) || std::fabs(rounded) > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

// Collects one report's events in a fixed buffer (the posting path allocates nothing).
struct UinputPoster::ReportBuilder {
  Report events{};
  std::size_t count = 0;

  void add(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    if (count < events.size()) {
      events[count++] = input_event{{}, type, code, value};
    }
  }
  // The events so far, and a new report started.
  std::span<const input_event> take() { return {events.data(), std::exchange(count, 0)}; }
  // Writes the report (ended by SYN_REPORT) and starts a new one; an empty report writes nothing.
  bool flush(int fd) {
    if (count == 0) {
      return true;
    }
    const bool written = UinputWriter(fd).writeReport({events.data(), count});
    count = 0;
    return written;
  }
};

UinputPoster::UinputPoster(int keyboardFd, int pointerFd, Options options)
    : keyboardFd_(keyboardFd),
      options_(std::move(options)),
      pointer_(pointerFd, options_.writeToClone) {}

bool UinputPoster::post(const Event& event) {
  switch (event.type()) {
    case EventType::keyDown:
      return postKey(event, true);
    case EventType::keyUp:
      return postKey(event, false);
    case EventType::flagsChanged:
      return postFlagsChanged(event);
    case EventType::leftMouseDown:
    case EventType::rightMouseDown:
    case EventType::otherMouseDown:
      return postButton(event, true);
    case EventType::leftMouseUp:
    case EventType::rightMouseUp:
    case EventType::otherMouseUp:
      return postButton(event, false);
    case EventType::mouseMoved:
    case EventType::leftMouseDragged:
    case EventType::rightMouseDragged:
    case EventType::otherMouseDragged:
      return postMotion(event);
    case EventType::scrollWheel:
      return postScroll(event);
    case EventType::null:
    case EventType::tapDisabledByTimeout:
    case EventType::tapDisabledByUserInput:
      return true;
  }
  return true;  // a type without a name is no input we can give
}

void UinputPoster::moveModifiers(ReportBuilder& report) {
  const ModifierKeys::Set wanted = transient_ | latched_;
  const auto entries = ModifierKeys::entries();
  // Releases in reverse order of pressing, so Ctrl+Shift comes off as Shift, then Ctrl.
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if ((pressed_ & entry->modifier) != 0 && (wanted & entry->modifier) == 0) {
      report.add(EV_KEY, entry->leftKey, 0);
    }
  }
  for (const auto& entry : entries) {
    if ((pressed_ & entry.modifier) == 0 && (wanted & entry.modifier) != 0) {
      report.add(EV_KEY, entry.leftKey, 1);
    }
  }
  pressed_ = wanted;
}

bool UinputPoster::postKey(const Event& event, bool down) {
  std::uint16_t key = 0;
  ModifierKeys::Set modifiers = 0;
  if (const auto chord = fixedChord(event, options_.desktop)) {
    key = chord->linuxKey;
    modifiers = chord->modifiers;
  } else {
    const auto code = event.integerValueField(EventField::keyboardEventKeycode);
    const auto linuxKey = code >= 0 && code <= std::numeric_limits<std::uint16_t>::max()
                              ? KeyCodeTable::linuxKey(static_cast<std::uint16_t>(code))
                              : std::nullopt;
    if (!linuxKey) {
      return true;  // no key of ours: pressing modifiers alone would only confuse
    }
    key = *linuxKey;
    modifiers = ModifierKeys::fromFlags(event.flags());
  }

  std::lock_guard lock(keyboardMutex_);
  ReportBuilder report;
  if (down) {
    transient_ = modifiers;
    moveModifiers(report);
    if (key != 0) {
      report.add(EV_KEY, key, 1);
    }
  } else {
    if (key != 0) {
      report.add(EV_KEY, key, 0);
    }
    transient_ = 0;
    moveModifiers(report);
  }
  return report.flush(keyboardFd_);
}

bool UinputPoster::postFlagsChanged(const Event& event) {
  ModifierKeys::Set held = ModifierKeys::fromFlags(event.flags());
  if (const auto chord = fixedChord(event, options_.desktop)) {
    // The chord names what a held flag stands for (the switcher's Command is Alt here).
    held = held != 0 ? chord->modifiers : 0;
  }
  std::lock_guard lock(keyboardMutex_);
  ReportBuilder report;
  latched_ = held;
  moveModifiers(report);
  return report.flush(keyboardFd_);
}

bool UinputPoster::postButton(const Event& event, bool down) {
  const auto button = buttonOf(event);
  if (!button) {
    return true;
  }
  if (!down) {
    return pointer_.release(*button);
  }
  const auto clickState = event.integerValueField(EventField::mouseEventClickState);
  const std::int64_t earlierClicks = std::min<std::int64_t>(clickState, maxClickState) - 1;
  bool written = true;
  for (std::int64_t i = 0; i < earlierClicks; ++i) {
    written = pointer_.press(*button) && written;
    if (options_.pause) {
      options_.pause(clickGapSeconds);
    }
    written = pointer_.release(*button) && written;
    if (options_.pause) {
      options_.pause(clickGapSeconds);
    }
  }
  return pointer_.press(*button) && written;
}

bool UinputPoster::postMotion(const Event& event) {
  const auto pointer =
      options_.pointerLocation ? options_.pointerLocation() : std::optional<platform::Point>();
  if (!pointer) {
    return true;  // without knowing where the pointer is, any motion could only overshoot
  }
  const auto dx = roundedMotion(event.location().x - pointer->x);
  const auto dy = roundedMotion(event.location().y - pointer->y);
  if (!dx || !dy) {
    return true;
  }
  ReportBuilder report;
  if (*dx != 0) {
    report.add(EV_REL, REL_X, *dx);
  }
  if (*dy != 0) {
    report.add(EV_REL, REL_Y, *dy);
  }
  return pointer_.write(report.take());
}

bool UinputPoster::postScroll(const Event& event) {
  // In pixels for continuous scrolling, otherwise in lines, taken as one detent each. The event
  // system's horizontal wheel counts towards the left, the kernel's towards the right.
  const bool continuous = event.integerValueField(EventField::scrollWheelEventIsContinuous) != 0;
  const std::int64_t vertical =
      event.integerValueField(continuous ? EventField::scrollWheelEventPointDeltaAxis1
                                         : EventField::scrollWheelEventDeltaAxis1);
  const std::int64_t horizontal =
      -event.integerValueField(continuous ? EventField::scrollWheelEventPointDeltaAxis2
                                          : EventField::scrollWheelEventDeltaAxis2);
  const std::int64_t scale =
      continuous ? hiResUnitsPerDetent : hiResUnitsPerDetent * pixelsPerDetent;

  constexpr std::uint16_t hiResCodes[2] = {REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES};
  constexpr std::uint16_t detentCodes[2] = {REL_WHEEL, REL_HWHEEL};
  const std::int64_t amounts[2] = {vertical, horizontal};
  ReportBuilder report;
  std::lock_guard lock(scrollMutex_);
  for (int axis = 0; axis < 2; ++axis) {
    if (amounts[axis] == 0) {
      continue;
    }
    // A turn of direction starts afresh, as a wheel's detents do.
    if ((amounts[axis] > 0) != (hiResFraction_[axis] + detentRemainder_[axis] > 0) &&
        (hiResFraction_[axis] != 0 || detentRemainder_[axis] != 0)) {
      hiResFraction_[axis] = 0;
      detentRemainder_[axis] = 0;
    }
    // In 1/pixelsPerDetent of a hi-res unit, so fractions of a unit carry to the next event.
    const std::int64_t scaled = amounts[axis] * scale + hiResFraction_[axis];
    const std::int64_t hiRes = scaled / pixelsPerDetent;
    hiResFraction_[axis] = scaled % pixelsPerDetent;
    if (hiRes == 0 || std::llabs(hiRes) > std::numeric_limits<std::int32_t>::max()) {
      continue;
    }
    const std::int64_t total = detentRemainder_[axis] + hiRes;
    const std::int64_t detents = total / hiResUnitsPerDetent;
    detentRemainder_[axis] = static_cast<std::int32_t>(total % hiResUnitsPerDetent);
    report.add(EV_REL, hiResCodes[axis], static_cast<std::int32_t>(hiRes));
    if (detents != 0) {
      report.add(EV_REL, detentCodes[axis], static_cast<std::int32_t>(detents));
    }
  }
  return pointer_.write(report.take());
}

}  // namespace tactora::lx
