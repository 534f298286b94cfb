#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ActionKit/ActionDispatcher.h"
#include "GestureEngine/GestureEvent.h"
#include "Platform/Platform.h"
#include "Platform/Subscription.h"
#include "Tactora/ApplicationShell.h"
#include "Tactora/BatteryMonitor.h"
#include "Tactora/GestureOverlayPresenting.h"
#include "Tactora/PermissionMonitor.h"
#include "Tactora/RoutingObserver.h"
#include "Tactora/config/BindingLookup.h"
#include "Tactora/config/ConfigStore.h"
#include "Tactora/input/InputPipeline.h"

namespace tactora {

class GestureEngine;
class InputPipeline;

// The application's owner of every long-lived service: configuration, permissions, the action
// dispatcher, the input pipeline and the overlay. Builds and starts the gesture side at launch,
// routes every recognised gesture to the synthetic drag and scroll or, through the binding
// lookup, to an action and the overlay, handles the enabled switch and shuts down cleanly.
//
// Launch, termination, the enabled switch and the overlay belong to the main thread;
// `handleGesture` runs on the frame thread inside the engine's callback and never calls back into
// the engine or the pipeline.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
  struct ConstructionKey {
    explicit ConstructionKey() = default;
  };

 public:
  using OverlayFactory = std::function<std::shared_ptr<GestureOverlayPresenting>()>;

  struct Options {
    // Where config.json lives; the store's default directory when empty.
    std::optional<std::filesystem::path> configDirectory;
    // The tray and windows; none means a shell that does nothing.
    std::shared_ptr<ApplicationShell> shell;
    // Makes the overlay the first time one is shown; none means no overlay is ever shown.
    OverlayFactory makeOverlay;
    // Sees every frame the engine is given (frame thread, under the frame lock): the settings'
    // live view of the surface. None: nobody looks.
    InputPipeline::FrameObserver frameObserver;
  };

  // Callbacks handed to other objects hold the delegate weakly, so it lives in a `shared_ptr`.
  // Creates the configuration store, the permission and battery monitors and the dispatcher;
  // nothing else.
  static std::shared_ptr<AppDelegate> create(platform::Platform& platform, Options options);
  AppDelegate(ConstructionKey, platform::Platform& platform, Options options);
  ~AppDelegate();
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  void applicationDidFinishLaunching();
  void applicationWillTerminate();

  // Routes one event from the input pipeline. Frame thread.
  void handleGesture(const GestureEvent& event);

  // The status item's enabled switch. Main thread.
  void setEnabled(bool enabled);

  // Adds an observer of every event the pipeline delivers and of what routing decides for it (the
  // replay and monitor commands print them). Add observers before launch; they run on the frame
  // thread, in the order they were added.
  void addRoutingObserver(std::shared_ptr<RoutingObserver> observer);

  ConfigStore& configStore() { return configStore_; }
  PermissionMonitor& permissionMonitor() { return *permissionMonitor_; }
  // Followed from launch to termination.
  BatteryMonitor& batteryMonitor() { return *batteryMonitor_; }
  // The same monitor, for a window that keeps it while it shows the grants.
  const std::shared_ptr<PermissionMonitor>& sharedPermissionMonitor() { return permissionMonitor_; }
  // Empty before launch.
  InputPipeline* inputPipeline() { return inputPipeline_.get(); }
  // Empty until the first overlay.
  GestureOverlayPresenting* hud() { return hud_.get(); }
  bool holdsAppNapActivity() const { return appNapActivity_.has_value(); }

  // The process activity that keeps the system from napping the application.
  static constexpr std::uint64_t appNapActivityOptions = 0xEFFFFF;
  static constexpr const char* appNapActivityReason =
      "Continuously monitors Magic Mouse gestures in the background";
  // Share of each drag-scroll step by which the held drag follows the scrolling.
  static constexpr float autoscrollNudgeFactor = 0.15f;

 private:
  // Pushes a tuning into the engine and the application switcher: at launch and after every save.
  static void applyTuning(GestureEngine& engine, const RecognitionConfig& tuning);
  void routeBinding(const GestureEvent& event, const Configuration& configuration);
  void report(RoutingDecision::Kind kind, const GestureEvent& event,
              const Action* action = nullptr) const;
  void showOverlay(const GestureEvent& event, const Action& action);

  platform::Platform& platform_;
  ConfigStore configStore_;
  std::shared_ptr<PermissionMonitor> permissionMonitor_;
  std::shared_ptr<BatteryMonitor> batteryMonitor_;
  ActionDispatcher dispatcher_;
  BindingLookup bindingLookup_;
  std::shared_ptr<ApplicationShell> shell_;
  OverlayFactory makeOverlay_;
  InputPipeline::FrameObserver frameObserver_;
  std::vector<std::shared_ptr<RoutingObserver>> routingObservers_;

  std::shared_ptr<InputPipeline> inputPipeline_;
  std::shared_ptr<GestureOverlayPresenting> hud_;
  std::optional<platform::Subscription> appNapActivity_;
  // The engine's tuning follows every save.
  ConfigStore::Subscription tuningSubscription_;
};

}  // namespace tactora
