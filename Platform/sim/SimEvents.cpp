#include "Platform/sim/SimEvents.h"

#include <algorithm>
#include <utility>

#include "Platform/EventBuilder.h"

namespace tactora::sim {

using platform::Event;
using platform::EventBuilder;
using platform::EventField;
using platform::EventType;

SimEvents::SimEvents(VirtualTimeline& timeline) : timeline_(timeline) {}

SimEvents::~SimEvents() = default;

bool SimEvents::creationFails(EventType type) const {
  std::lock_guard lock(mutex_);
  return allCreationFails_ || (creationFailure_ && creationFailure_(type));
}

std::optional<platform::EventSource> SimEvents::createEventSource(
    platform::EventSourceStateID stateID) {
  std::lock_guard lock(mutex_);
  if (!eventSourceAvailable_) {
    return std::nullopt;
  }
  return platform::EventSource{stateID, 0};
}

std::optional<Event> SimEvents::createEvent(const platform::EventSource* source) {
  if (creationFails(EventType::null)) {
    return std::nullopt;
  }
  return EventBuilder::event(source, EventType::null, pointer());
}

std::optional<Event> SimEvents::createKeyboardEvent(const platform::EventSource* source,
                                                    std::uint16_t keyCode, bool keyDown) {
  const EventType type = keyDown ? EventType::keyDown : EventType::keyUp;
  if (creationFails(type)) {
    return std::nullopt;
  }
  return EventBuilder::keyboard(source, keyCode, keyDown, pointer());
}

std::optional<Event> SimEvents::createMouseEvent(const platform::EventSource* source,
                                                 EventType type, platform::Point location,
                                                 platform::MouseButton button) {
  if (creationFails(type)) {
    return std::nullopt;
  }
  return EventBuilder::mouse(source, type, location, button);
}

std::optional<Event> SimEvents::createScrollWheelEvent(const platform::EventSource* source,
                                                       platform::ScrollEventUnit units,
                                                       std::uint32_t wheelCount,
                                                       std::int32_t wheel1, std::int32_t wheel2) {
  if (creationFails(EventType::scrollWheel)) {
    return std::nullopt;
  }
  return EventBuilder::scrollWheel(source, pointer(), units, wheelCount, wheel1, wheel2);
}

void SimEvents::post(platform::EventTapLocation location, const Event& event) {
  bool reachTaps = false;
  {
    std::lock_guard lock(mutex_);
    reachTaps = postedReachTaps_;
  }
  posted_.add({location, event, timeline_.now()});
  if (reachTaps) {
    passThroughTaps(event);
  }
}

std::optional<platform::Point> SimEvents::pointerLocation() {
  if (creationFails(EventType::null)) {
    return std::nullopt;
  }
  return pointer();
}

platform::EventFlags SimEvents::flagsState(platform::EventSourceStateID) {
  std::lock_guard lock(mutex_);
  return heldModifiers_;
}

std::shared_ptr<platform::EventTap> SimEvents::createEventTap(
    const platform::EventTapParameters& parameters, platform::EventTapCallback callback) {
  std::lock_guard lock(mutex_);
  if (tapCreationFails_) {
    return nullptr;
  }
  auto tap = std::make_shared<platform::MaskedEventTap>(parameters, std::move(callback));
  std::erase_if(taps_, [](const auto& weak) { return weak.expired(); });
  taps_.push_back(tap);
  ++tapsCreated_;
  return tap;
}

void SimEvents::setPointer(platform::Point location) {
  std::lock_guard lock(mutex_);
  pointer_ = location;
}

platform::Point SimEvents::pointer() const {
  std::lock_guard lock(mutex_);
  return pointer_;
}

void SimEvents::setHeldModifiers(platform::EventFlags flags) {
  std::lock_guard lock(mutex_);
  heldModifiers_ = flags;
}

void SimEvents::setEventSourceAvailable(bool available) {
  std::lock_guard lock(mutex_);
  eventSourceAvailable_ = available;
}

void SimEvents::setEventCreationFails(bool fails) {
  std::lock_guard lock(mutex_);
  allCreationFails_ = fails;
}

void SimEvents::setEventCreationFailure(std::function<bool(EventType type)> fails) {
  std::lock_guard lock(mutex_);
  creationFailure_ = std::move(fails);
}

void SimEvents::setTapCreationFails(bool fails) {
  std::lock_guard lock(mutex_);
  tapCreationFails_ = fails;
}

void SimEvents::setPostedEventsReachTaps(bool reach) {
  std::lock_guard lock(mutex_);
  postedReachTaps_ = reach;
}

std::optional<Event> SimEvents::passThroughTaps(Event event) {
  std::vector<std::shared_ptr<platform::MaskedEventTap>> taps;
  {
    std::lock_guard lock(mutex_);
    for (const auto& weak : taps_) {
      if (auto tap = weak.lock()) {
        taps.push_back(std::move(tap));
      }
    }
  }
  for (const auto& tap : taps) {
    if (!tap->pass(event)) {
      return std::nullopt;
    }
  }
  return event;
}

void SimEvents::recordDelivery(const Event& event, const std::optional<Event>& passed) {
  delivered_.add({event, passed, timeline_.now()});
}

std::optional<Event> SimEvents::deliver(const Event& event) {
  timeline_.runDue();
  std::optional<Event> passed = passThroughTaps(event);
  recordDelivery(event, passed);
  return passed;
}

void SimEvents::scheduleDelivery(double uptimeSeconds, const Event& event) {
  timeline_.scheduleAt(uptimeSeconds, platform::WorkItem::make([this, event] {
                         recordDelivery(event, passThroughTaps(event));
                       }));
}

void SimEvents::setKeepsRecords(bool keep) {
  posted_.setKeeps(keep);
  delivered_.setKeeps(keep);
}

void SimEvents::setPostedObserver(std::function<void(const PostedEvent&)> observer) {
  posted_.setObserver(std::move(observer));
}

void SimEvents::setDeliveredObserver(std::function<void(const DeliveredEvent&)> observer) {
  delivered_.setObserver(std::move(observer));
}

Event SimEvents::nativeMouseEvent(EventType type, platform::Point location) {
  Event event(type, location);
  const bool right = type == EventType::rightMouseDown || type == EventType::rightMouseUp ||
                     type == EventType::rightMouseDragged;
  const bool other = type == EventType::otherMouseDown || type == EventType::otherMouseUp ||
                     type == EventType::otherMouseDragged;
  event.setIntegerValueField(EventField::mouseEventButtonNumber, right ? 1 : other ? 2 : 0);
  event.setIntegerValueField(EventField::mouseEventClickState, 1);
  return event;
}

Event SimEvents::nativeScrollEvent(std::int32_t verticalLines, std::int32_t horizontalLines) {
  Event event(EventType::scrollWheel);
  event.setIntegerValueField(EventField::scrollWheelEventDeltaAxis1, verticalLines);
  event.setIntegerValueField(EventField::scrollWheelEventDeltaAxis2, horizontalLines);
  return event;
}

std::vector<std::shared_ptr<platform::EventTap>> SimEvents::taps() const {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<platform::EventTap>> live;
  for (const auto& weak : taps_) {
    if (auto tap = weak.lock()) {
      live.push_back(std::move(tap));
    }
  }
  return live;
}

std::size_t SimEvents::tapsCreated() const {
  std::lock_guard lock(mutex_);
  return tapsCreated_;
}

void SimEvents::disableTap(platform::EventTap& tap, EventType notice) {
  tap.enable(false);
  if (auto* masked = dynamic_cast<platform::MaskedEventTap*>(&tap)) {
    Event noticeEvent(notice);
    masked->call(notice, noticeEvent);
  }
}

void SimEvents::disableTapSilently(platform::EventTap& tap) {
  tap.enable(false);
}

std::vector<SimEvents::PostedEvent> SimEvents::posted() const {
  return posted_.records();
}

std::vector<SimEvents::DeliveredEvent> SimEvents::delivered() const {
  return delivered_.records();
}

void SimEvents::clearRecords() {
  posted_.clear();
  delivered_.clear();
}

}  // namespace tactora::sim
