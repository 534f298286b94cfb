#include "ActionKit/SharedEventSource.h"

#include <memory>

#include "ActionKit/PerPlatform.h"

namespace tactora {

std::optional<platform::EventSource> SharedEventSource::source() {
  return source(platform::Platform::current());
}

std::optional<platform::EventSource> SharedEventSource::source(platform::Platform& platform) {
  static PerPlatform<std::optional<platform::EventSource>> sources;
  return sources.get(platform, [](platform::Platform& owner) {
    return std::make_shared<std::optional<platform::EventSource>>(
        owner.events().createEventSource(platform::EventSourceStateID::hidSystemState));
  });
}

bool SharedEventSource::isSynthetic(const platform::Event& event) {
  return event.integerValueField(platform::EventField::eventSourceUserData) == syntheticMarker;
}

}  // namespace tactora
