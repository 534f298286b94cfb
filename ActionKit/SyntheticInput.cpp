#include "ActionKit/SyntheticInput.h"

#include <optional>
#include <utility>

#include "ActionKit/SharedEventSource.h"

namespace tactora {

namespace {

using platform::EventType;

std::pair<EventType, EventType> pressAndReleaseTypes(platform::MouseButton button) {
  switch (button) {
    case platform::MouseButton::left:
      return {EventType::leftMouseDown, EventType::leftMouseUp};
    case platform::MouseButton::right:
      return {EventType::rightMouseDown, EventType::rightMouseUp};
    case platform::MouseButton::center:
      return {EventType::otherMouseDown, EventType::otherMouseUp};
  }
  return {EventType::leftMouseDown, EventType::leftMouseUp};
}

}  // namespace

std::function<void(const platform::Event&)> postingAtHID(platform::Platform& platform) {
  return [&platform](const platform::Event& event) {
    platform.events().post(platform::EventTapLocation::hid, event);
  };
}

void click(platform::MouseButton button, std::int32_t count) {
  click(platform::Platform::current(), button, count);
}

void click(platform::Platform& platform, platform::MouseButton button, std::int32_t count) {
  const auto source = SharedEventSource::source(platform);
  if (!source) {
    return;
  }
  auto& events = platform.events();
  platform::Point location{};
  if (auto current = events.createEvent(&*source)) {
    location = current->location();
  }

  const auto [pressType, releaseType] = pressAndReleaseTypes(button);
  auto press = events.createMouseEvent(&*source, pressType, location, button);
  auto release = events.createMouseEvent(&*source, releaseType, location, button);
  for (auto* event : {&press, &release}) {
    if (*event) {
      (*event)->setIntegerValueField(platform::EventField::mouseEventClickState, count);
      (*event)->setIntegerValueField(platform::EventField::eventSourceUserData,
                                     SharedEventSource::syntheticMarker);
    }
  }
  if (press) {
    events.post(platform::EventTapLocation::hid, *press);
  }
  if (release) {
    events.post(platform::EventTapLocation::hid, *release);
  }
}

void markFixedShortcut(platform::Event& event, platform::FixedShortcut shortcut) {
  if (shortcut != platform::FixedShortcut::none) {
    event.setIntegerValueField(platform::EventField::fixedShortcut,
                               static_cast<std::int64_t>(shortcut));
  }
}

void postKeyCombination(platform::Platform& platform, std::uint16_t keyCode,
                        platform::EventFlags flags, double pauseSeconds,
                        platform::FixedShortcut shortcut) {
  const auto source = SharedEventSource::source(platform);
  if (!source) {
    return;
  }
  auto& events = platform.events();
  auto keyDown = events.createKeyboardEvent(&*source, keyCode, true);
  auto keyUp = events.createKeyboardEvent(&*source, keyCode, false);
  if (keyDown) {
    keyDown->setFlags(flags);
    markFixedShortcut(*keyDown, shortcut);
    events.post(platform::EventTapLocation::hid, *keyDown);
  }
  if (pauseSeconds > 0) {
    platform.dispatch().pause(pauseSeconds);
  }
  if (keyUp) {
    keyUp->setFlags(flags);
    markFixedShortcut(*keyUp, shortcut);
    events.post(platform::EventTapLocation::hid, *keyUp);
  }
}

}  // namespace tactora
