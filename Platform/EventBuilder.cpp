#include "Platform/EventBuilder.h"

#include "Platform/EventField.h"

namespace tactora::platform {

Event EventBuilder::event(const EventSource* source, EventType type, Point location) {
  Event event(type, location);
  if (source != nullptr && source->userData != 0) {
    event.setIntegerValueField(EventField::eventSourceUserData, source->userData);
  }
  return event;
}

Event EventBuilder::keyboard(const EventSource* source, std::uint16_t keyCode, bool keyDown,
                             Point location) {
  Event built = event(source, keyDown ? EventType::keyDown : EventType::keyUp, location);
  built.setIntegerValueField(EventField::keyboardEventKeycode, keyCode);
  return built;
}

Event EventBuilder::mouse(const EventSource* source, EventType type, Point location,
                          MouseButton button) {
  Event built = event(source, type, location);
  built.setIntegerValueField(EventField::mouseEventButtonNumber, static_cast<std::int64_t>(button));
  return built;
}

Event EventBuilder::scrollWheel(const EventSource* source, Point location, ScrollEventUnit units,
                                std::uint32_t wheelCount, std::int32_t wheel1,
                                std::int32_t wheel2) {
  Event built = event(source, EventType::scrollWheel, location);
  const std::int32_t horizontal = wheelCount >= 2 ? wheel2 : 0;
  built.setIntegerValueField(EventField::scrollWheelEventDeltaAxis1, wheel1);
  built.setIntegerValueField(EventField::scrollWheelEventDeltaAxis2, horizontal);
  switch (units) {
    case ScrollEventUnit::pixel:
      built.setIntegerValueField(EventField::scrollWheelEventIsContinuous, 1);
      built.setIntegerValueField(EventField::scrollWheelEventPointDeltaAxis1, wheel1);
      built.setIntegerValueField(EventField::scrollWheelEventPointDeltaAxis2, horizontal);
      break;
    case ScrollEventUnit::line:
      break;
  }
  return built;
}

}  // namespace tactora::platform
