#pragma once

#include <functional>
#include <memory>

#include "Platform/Events.h"
#include "Platform/Platform.h"
#include "Platform/sim/SimPlatform.h"

namespace tactora {

// The simulated platform as the replay command installs it: every service is the sim's, except
// that each event the application posts is also shown to an observer as it is posted, so the
// replay can print it in order with everything else.
class ReplayPlatform final : public platform::Platform {
 public:
  using PostObserver = std::function<void(const platform::Event& event)>;

  ReplayPlatform(std::shared_ptr<sim::SimPlatform> sim, PostObserver onPost);

  sim::SimPlatform& sim() { return *sim_; }

  platform::Clock& clock() override { return sim_->clock(); }
  platform::Dispatch& dispatch() override { return sim_->dispatch(); }
  platform::Events& events() override { return events_; }
  platform::SystemBridges& systemBridges() override { return sim_->systemBridges(); }
  platform::Accessibility& accessibility() override { return sim_->accessibility(); }
  platform::Workspace& workspace() override { return sim_->workspace(); }
  platform::Permissions& permissions() override { return sim_->permissions(); }
  platform::Preferences& preferences() override { return sim_->preferences(); }
  platform::LoginItems& loginItems() override { return sim_->loginItems(); }
  platform::Updater& updater() override { return sim_->updater(); }

 private:
  // The sim's event system with posting observed. Posted events are not kept: a long replay
  // would otherwise hold every event it ever posted.
  class ObservedEvents final : public platform::Events {
   public:
    ObservedEvents(sim::SimEvents& events, PostObserver onPost)
        : events_(events), onPost_(std::move(onPost)) {}

    std::optional<platform::EventSource> createEventSource(
        platform::EventSourceStateID stateID) override {
      return events_.createEventSource(stateID);
    }
    std::optional<platform::Event> createEvent(const platform::EventSource* source) override {
      return events_.createEvent(source);
    }
    std::optional<platform::Event> createKeyboardEvent(const platform::EventSource* source,
                                                       std::uint16_t keyCode,
                                                       bool keyDown) override {
      return events_.createKeyboardEvent(source, keyCode, keyDown);
    }
    std::optional<platform::Event> createMouseEvent(const platform::EventSource* source,
                                                    platform::EventType type,
                                                    platform::Point location,
                                                    platform::MouseButton button) override {
      return events_.createMouseEvent(source, type, location, button);
    }
    std::optional<platform::Event> createScrollWheelEvent(const platform::EventSource* source,
                                                          platform::ScrollEventUnit units,
                                                          std::uint32_t wheelCount,
                                                          std::int32_t wheel1,
                                                          std::int32_t wheel2) override {
      return events_.createScrollWheelEvent(source, units, wheelCount, wheel1, wheel2);
    }
    void post(platform::EventTapLocation /*location*/, const platform::Event& event) override {
      onPost_(event);
    }
    std::optional<platform::Point> pointerLocation() override { return events_.pointerLocation(); }
    platform::EventFlags flagsState(platform::EventSourceStateID stateID) override {
      return events_.flagsState(stateID);
    }
    std::shared_ptr<platform::EventTap> createEventTap(
        const platform::EventTapParameters& parameters,
        platform::EventTapCallback callback) override {
      return events_.createEventTap(parameters, std::move(callback));
    }

   private:
    sim::SimEvents& events_;
    PostObserver onPost_;
  };

  std::shared_ptr<sim::SimPlatform> sim_;
  ObservedEvents events_;
};

}  // namespace tactora
