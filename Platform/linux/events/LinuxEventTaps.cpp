#include "Platform/linux/events/LinuxEventTaps.h"

#include <algorithm>

namespace tactora::lx {

using platform::Event;
using platform::EventField;
using platform::EventType;

namespace {

bool isWheel(const input_event& event) {
  return event.type == EV_REL &&
         (event.code == REL_WHEEL || event.code == REL_HWHEEL || event.code == REL_WHEEL_HI_RES ||
          event.code == REL_HWHEEL_HI_RES);
}

// A report's wheels in hi-res units: the hi-res events where the device sends them (they carry
// the same motion as its detents, finer), the detents times 120 otherwise.
struct Wheels {
  std::int64_t vertical = 0;
  std::int64_t horizontal = 0;
  bool any = false;
};

Wheels wheelsOf(std::span<const input_event> events) {
  std::int64_t detents[2] = {0, 0};
  std::int64_t hiRes[2] = {0, 0};
  bool hasHiRes[2] = {false, false};
  Wheels wheels;
  for (const input_event& event : events) {
    if (!isWheel(event)) {
      continue;
    }
    wheels.any = true;
    switch (event.code) {
      case REL_WHEEL:
        detents[0] += event.value;
        break;
      case REL_HWHEEL:
        detents[1] += event.value;
        break;
      case REL_WHEEL_HI_RES:
        hiRes[0] += event.value;
        hasHiRes[0] = true;
        break;
      default:
        hiRes[1] += event.value;
        hasHiRes[1] = true;
        break;
    }
  }
  wheels.vertical = hasHiRes[0] ? hiRes[0] : detents[0] * LinuxEventTaps::hiResUnitsPerDetent;
  wheels.horizontal = hasHiRes[1] ? hiRes[1] : detents[1] * LinuxEventTaps::hiResUnitsPerDetent;
  return wheels;
}

}  // namespace

std::shared_ptr<platform::EventTap> LinuxEventTaps::createEventTap(
    const platform::EventTapParameters& parameters, platform::EventTapCallback callback) {
  std::lock_guard lock(mutex_);
  std::erase_if(taps_, [](const auto& weak) { return weak.expired(); });
  if (taps_.size() >= maxTaps) {
    return nullptr;
  }
  auto tap = std::make_shared<platform::MaskedEventTap>(parameters, std::move(callback));
  taps_.push_back(tap);
  return tap;
}

bool LinuxEventTaps::deliver(Event& event) {
  // The taps are taken out under the lock into a fixed array, then called without it.
  std::array<std::shared_ptr<platform::MaskedEventTap>, maxTaps> taps;
  std::size_t count = 0;
  {
    std::lock_guard lock(mutex_);
    for (const auto& weak : taps_) {
      if (auto tap = weak.lock(); tap && count < taps.size()) {
        taps[count++] = std::move(tap);
      }
    }
  }
  // A tap's callback runs on the device's delivery thread, outside every lock of ours.
  for (std::size_t i = 0; i < count; ++i) {
    if (!taps[i]->pass(event)) {
      return false;
    }
  }
  return true;
}

std::int32_t LinuxEventTaps::filterReport(input_event* events, std::int32_t count) {
  const std::span<input_event> report(events, static_cast<std::size_t>(std::max(count, 0)));
  for (const input_event& event : report) {
    // 2 is the kernel's auto-repeat of a held key: no new press.
    if (event.type == EV_KEY && event.code == BTN_LEFT && (event.value == 0 || event.value == 1)) {
      Event button(event.value == 1 ? EventType::leftMouseDown : EventType::leftMouseUp);
      button.setIntegerValueField(EventField::mouseEventButtonNumber, 0);
      button.setIntegerValueField(EventField::mouseEventClickState, 1);
      deliver(button);  // buttons are never held back
    }
  }
  const Wheels wheels = wheelsOf(report);
  if (!wheels.any) {
    return count;
  }
  Event scroll(EventType::scrollWheel);
  scroll.setIntegerValueField(EventField::scrollWheelEventDeltaAxis1, wheels.vertical);
  scroll.setIntegerValueField(EventField::scrollWheelEventDeltaAxis2, wheels.horizontal);
  if (deliver(scroll)) {
    return count;
  }
  const auto kept = std::remove_if(report.begin(), report.end(), isWheel);
  return static_cast<std::int32_t>(kept - report.begin());
}

std::int32_t LinuxEventTaps::filterReportEntry(void* context, input_event* events,
                                               std::int32_t count) {
  return static_cast<LinuxEventTaps*>(context)->filterReport(events, count);
}

}  // namespace tactora::lx
