#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Events.h"
#include "Platform/MaskedEventTap.h"
#include "Platform/sim/RecordStream.h"
#include "Platform/sim/VirtualTimeline.h"

namespace tactora::sim {

// The simulated event system. Records every posted event; delivers injected native events to the
// taps as the window server would; lets a test set the pointer, the held modifiers and every
// failure the real system can produce.
class SimEvents : public platform::Events {
 public:
  struct PostedEvent {
    platform::EventTapLocation location;
    platform::Event event;
    double uptimeSeconds;
  };
  struct DeliveredEvent {
    platform::Event event;                  // as injected
    std::optional<platform::Event> passed;  // as it left the last tap; empty when swallowed
    double uptimeSeconds;
  };

  explicit SimEvents(VirtualTimeline& timeline);
  ~SimEvents() override;

  // --- platform::Events
  std::optional<platform::EventSource> createEventSource(
      platform::EventSourceStateID stateID) override;
  std::optional<platform::Event> createEvent(const platform::EventSource* source) override;
  std::optional<platform::Event> createKeyboardEvent(const platform::EventSource* source,
                                                     std::uint16_t keyCode, bool keyDown) override;
  std::optional<platform::Event> createMouseEvent(const platform::EventSource* source,
                                                  platform::EventType type,
                                                  platform::Point location,
                                                  platform::MouseButton button) override;
  std::optional<platform::Event> createScrollWheelEvent(const platform::EventSource* source,
                                                        platform::ScrollEventUnit units,
                                                        std::uint32_t wheelCount,
                                                        std::int32_t wheel1,
                                                        std::int32_t wheel2) override;
  void post(platform::EventTapLocation location, const platform::Event& event) override;
  std::optional<platform::Point> pointerLocation() override;
  platform::EventFlags flagsState(platform::EventSourceStateID stateID) override;
  std::shared_ptr<platform::EventTap> createEventTap(const platform::EventTapParameters& parameters,
                                                     platform::EventTapCallback callback) override;

  // --- the world a test sets up
  void setPointer(platform::Point location);
  platform::Point pointer() const;
  void setHeldModifiers(platform::EventFlags flags);
  // The system refuses an event source (the shared source then stays absent).
  void setEventSourceAvailable(bool available);
  // Every event creation fails (also the pointer read).
  void setEventCreationFails(bool fails);
  // Creation of events whose type satisfies `fails` fails; null clears. Keyboard events are
  // asked with keyDown/keyUp, scroll events with scrollWheel, plain events with null.
  void setEventCreationFailure(std::function<bool(platform::EventType type)> fails);
  // Tap creation fails (missing permissions).
  void setTapCreationFails(bool fails);
  // Posted events also go through our own taps (off by default: synthesized events never reach
  // this program's taps on the real backend).
  void setPostedEventsReachTaps(bool reach);

  // --- native input
  // Delivers `event` now: first runs what is due on the timeline, then passes the event through
  // every enabled tap whose mask has its type, in creation order. Returns the event as it left
  // the last tap, or empty when a filtering tap swallowed it. Callbacks run on this thread.
  std::optional<platform::Event> deliver(const platform::Event& event);
  // Delivers `event` when the timeline reaches `uptimeSeconds`.
  void scheduleDelivery(double uptimeSeconds, const platform::Event& event);
  // A native event as the hardware would produce it (no user data).
  static platform::Event nativeMouseEvent(platform::EventType type, platform::Point location);
  static platform::Event nativeScrollEvent(std::int32_t verticalLines,
                                           std::int32_t horizontalLines);

  // --- taps
  // Live taps in creation order.
  std::vector<std::shared_ptr<platform::EventTap>> taps() const;
  // Number of taps ever created (also those since destroyed).
  std::size_t tapsCreated() const;
  // The system disables `tap` and tells it with `notice` (tapDisabledByTimeout or
  // tapDisabledByUserInput), on this thread.
  void disableTap(platform::EventTap& tap, platform::EventType notice);
  // The tap goes disabled without a notice (found later by a watchdog).
  void disableTapSilently(platform::EventTap& tap);

  // --- what happened
  std::vector<PostedEvent> posted() const;
  std::vector<DeliveredEvent> delivered() const;
  void clearRecords();
  // Called right after each record is made, on the thread that made it and outside every lock,
  // so output can interleave with log lines in the order things happened. Null clears.
  // With `keep` false, posted and delivered events are only shown to the observers, not kept (a
  // long replay would otherwise hold every event it ever saw).
  void setKeepsRecords(bool keep);
  void setPostedObserver(std::function<void(const PostedEvent&)> observer);
  void setDeliveredObserver(std::function<void(const DeliveredEvent&)> observer);

 private:
  bool creationFails(platform::EventType type) const;
  std::optional<platform::Event> passThroughTaps(platform::Event event);
  void recordDelivery(const platform::Event& event, const std::optional<platform::Event>& passed);

  VirtualTimeline& timeline_;
  mutable std::mutex mutex_;
  platform::Point pointer_{};
  platform::EventFlags heldModifiers_ = 0;
  bool eventSourceAvailable_ = true;
  bool allCreationFails_ = false;
  std::function<bool(platform::EventType)> creationFailure_;
  bool tapCreationFails_ = false;
  bool postedReachTaps_ = false;
  std::vector<std::weak_ptr<platform::MaskedEventTap>> taps_;
  std::size_t tapsCreated_ = 0;
  RecordStream<PostedEvent> posted_;
  RecordStream<DeliveredEvent> delivered_;
};

}  // namespace tactora::sim
