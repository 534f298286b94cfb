#include "Platform/linux/events/LinuxEvents.h"

#include <utility>

#include "Platform/EventBuilder.h"
#include "Platform/Logger.h"

namespace tactora::lx {

using platform::Event;
using platform::EventBuilder;
using platform::EventType;

namespace {

constexpr platform::Logger logger{"LinuxEvents"};

}  // namespace

LinuxEvents::LinuxEvents(Parts parts)
    : keyboard_(std::move(parts.keyboard)),
      pointer_(std::move(parts.pointer)),
      pointerLocation_(std::move(parts.pointerLocation)),
      modifierFlags_(std::move(parts.modifierFlags)),
      listenGrant_(std::move(parts.listenGrant)),
      filterGrant_(std::move(parts.filterGrant)) {
  if (keyboard_.valid() && pointer_.valid()) {
    // The poster gets the pointer function as it is: without one, a drag must not take (0, 0)
    // for the pointer's place and move it there.
    PointerSink::CloneWriter writeToClone;
    if (parts.writeToClone != nullptr) {
      writeToClone = [write = parts.writeToClone](std::span<const input_event> events,
                                                  std::uint64_t cloneId) {
        return write(events.data(), events.size(), cloneId);
      };
    }
    poster_ = std::make_unique<UinputPoster>(
        keyboard_.get(), pointer_.get(),
        UinputPoster::Options{parts.desktop, std::move(parts.pause), pointerLocation_,
                              std::move(writeToClone)});
  }
}

// The poster goes before the descriptors it writes to.
LinuxEvents::~LinuxEvents() {
  poster_.reset();
}

std::optional<platform::EventSource> LinuxEvents::createEventSource(
    platform::EventSourceStateID stateID) {
  if (!poster_) {
    return std::nullopt;
  }
  return platform::EventSource{stateID, 0};
}

std::optional<Event> LinuxEvents::createEvent(const platform::EventSource* source) {
  return EventBuilder::event(source, EventType::null,
                             pointerLocation().value_or(platform::Point{}));
}

std::optional<Event> LinuxEvents::createKeyboardEvent(const platform::EventSource* source,
                                                      std::uint16_t keyCode, bool keyDown) {
  // A key has no place on the screen, so the pointer is not asked (on X11 that is a round trip
  // per key).
  return EventBuilder::keyboard(source, keyCode, keyDown, {});
}

std::optional<Event> LinuxEvents::createMouseEvent(const platform::EventSource* source,
                                                   EventType type, platform::Point location,
                                                   platform::MouseButton button) {
  return EventBuilder::mouse(source, type, location, button);
}

std::optional<Event> LinuxEvents::createScrollWheelEvent(const platform::EventSource* source,
                                                         platform::ScrollEventUnit units,
                                                         std::uint32_t wheelCount,
                                                         std::int32_t wheel1, std::int32_t wheel2) {
  return EventBuilder::scrollWheel(source, pointerLocation().value_or(platform::Point{}), units,
                                   wheelCount, wheel1, wheel2);
}

void LinuxEvents::post(platform::EventTapLocation, const Event& event) {
  // Every location posts the same way: uinput is where hardware events enter, so nothing we
  // write passes a tap of ours.
  if (!poster_ || poster_->post(event)) {
    return;
  }
  if (!writeFailureLogged_.exchange(true)) {
    logger.error("writing a posted event to uinput failed; synthesized input is lost");
  }
}

std::optional<platform::Point> LinuxEvents::pointerLocation() {
  if (!pointerLocation_) {
    return platform::Point{};
  }
  return pointerLocation_();
}

platform::EventFlags LinuxEvents::flagsState(platform::EventSourceStateID stateID) {
  switch (stateID) {
    case platform::EventSourceStateID::privateState:
      return 0;  // a private state holds only what its own events pressed, and we press none
    case platform::EventSourceStateID::combinedSessionState:
    case platform::EventSourceStateID::hidSystemState:
      break;
  }
  return modifierFlags_ ? modifierFlags_() : 0;
}

std::shared_ptr<platform::EventTap> LinuxEvents::createEventTap(
    const platform::EventTapParameters& parameters, platform::EventTapCallback callback) {
  const GrantCheck* grant = nullptr;
  const char* kind = "";
  switch (parameters.options) {
    case platform::EventTapOptions::listenOnly:
      grant = &listenGrant_;
      kind = "listening";
      break;
    case platform::EventTapOptions::defaultTap:
      grant = &filterGrant_;
      kind = "filtering";
      break;
  }
  if (grant != nullptr && *grant) {
    if (const std::optional<std::string> denial = (*grant)()) {
      logger.error("no %{public}s event tap: %{public}s", {kind, *denial});
      return nullptr;
    }
  }
  return taps_.createEventTap(parameters, std::move(callback));
}

}  // namespace tactora::lx
