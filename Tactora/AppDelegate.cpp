#include "Tactora/AppDelegate.h"

#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "GestureEngine/GestureEngine.h"
#include "Platform/Clock.h"
#include "Platform/Dispatch.h"
#include "Platform/Events.h"
#include "Platform/Logger.h"
#include "Platform/RunLoop.h"
#include "Platform/Workspace.h"
#include "Tactora/input/InputPipeline.h"

namespace tactora {
namespace {

constexpr platform::Logger logger{"AppDelegate"};

bool isClick(Action::Case kind) {
  switch (kind) {
    case Action::Case::none:
    case Action::Case::leftClick:
    case Action::Case::rightClick:
    case Action::Case::middleClick:
    case Action::Case::doubleClick:
    case Action::Case::tripleClick:
      return true;
    case Action::Case::missionControl:
    case Action::Case::appExpose:
    case Action::Case::showDesktop:
    case Action::Case::spaceLeft:
    case Action::Case::spaceRight:
    case Action::Case::closeFocusedWindow:
    case Action::Case::hideApp:
    case Action::Case::minimizeWindow:
    case Action::Case::cycleWindows:
    case Action::Case::zoomIn:
    case Action::Case::zoomOut:
    case Action::Case::navigateBack:
    case Action::Case::navigateForward:
    case Action::Case::appSwitcher:
    case Action::Case::appSwitcherNext:
    case Action::Case::appSwitcherPrevious:
    case Action::Case::keyShortcut:
    case Action::Case::shellCommand:
      return false;
  }
  return false;
}

// The drag-scroll direction: the surface's "towards the front" scrolls content down unless the
// user inverted it.
float scrollSign(const RecognitionConfig& tuning) {
  return tuning.dragScrollInverted ? 1.0f : -1.0f;
}

}  // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(platform::Platform& platform, Options options) {
  return std::make_shared<AppDelegate>(ConstructionKey{}, platform, std::move(options));
}

AppDelegate::AppDelegate(ConstructionKey, platform::Platform& platform, Options options)
    : platform_(platform),
      configStore_(options.configDirectory),
      permissionMonitor_(PermissionMonitor::create(platform)),
      batteryMonitor_(BatteryMonitor::create(platform)),
      bindingLookup_(
          [&platform] {
            return platform.events().flagsState(platform::EventSourceStateID::combinedSessionState);
          },
          [&platform] { return platform.workspace().frontmostApplicationBundleIdentifier(); }),
      shell_(options.shell ? std::move(options.shell) : std::make_shared<ApplicationShell>()),
      makeOverlay_(std::move(options.makeOverlay)),
      frameObserver_(std::move(options.frameObserver)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
  shell_->checkVersionNotice(*this);

  appNapActivity_ =
      platform_.workspace().beginActivity(appNapActivityOptions, appNapActivityReason);

  const RecognitionConfig tuning = configStore_.current()->tuning;
  platform::Platform* platform = &platform_;
  auto engine = std::make_shared<GestureEngine>(
      tuning, [platform] { return platform->clock().uptimeSeconds(); });
  applyTuning(*engine, tuning);

  std::weak_ptr<GestureEngine> weakEngine = engine;
  tuningSubscription_ = configStore_.addObserver([weakEngine](const Configuration& configuration) {
    if (auto engine = weakEngine.lock()) {
      applyTuning(*engine, configuration.tuning);
    }
  });

  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  inputPipeline_ = InputPipeline::create(std::move(engine), [weakSelf](const GestureEvent& event) {
    if (auto self = weakSelf.lock()) {
      self->handleGesture(event);
    }
  });
  if (frameObserver_) {
    inputPipeline_->setFrameObserver(frameObserver_);
  }

  shell_->setUp(*this);
  // After the shell, which tells the user of a low battery: a level known now is warned of.
  batteryMonitor_->start();

  // The running program, or where it is installed when the platform cannot tell.
  const platform::BundleInfo bundle = platform_.workspace().mainBundle();
  const std::string program = bundle.executablePath.value_or(bundle.bundlePath);
  logger.notice("startup: program=%{public}s accessibility=%{public}s inputMonitoring=%{public}s",
                {program, toString(permissionMonitor_->accessibility()),
                 toString(permissionMonitor_->inputMonitoring())});

  shell_->showPermissionsIfNeeded(*this);

  if (configStore_.current()->enabled) {
    inputPipeline_->start();
  }
}

void AppDelegate::applicationWillTerminate() {
  batteryMonitor_->stop();
  if (inputPipeline_) {
    inputPipeline_->stop();
  }
  AppSwitcher::shared().release();
  SyntheticDrag::shared().end();
  SyntheticScroll::shared().stopMomentum();
}

void AppDelegate::applyTuning(GestureEngine& engine, const RecognitionConfig& tuning) {
  engine.updateConfig(tuning);
  AppSwitcher::shared().setHoldSeconds(tuning.appSwitcherHoldSeconds);
}

void AppDelegate::addRoutingObserver(std::shared_ptr<RoutingObserver> observer) {
  if (observer) {
    routingObservers_.push_back(std::move(observer));
  }
}

void AppDelegate::report(RoutingDecision::Kind kind, const GestureEvent& event,
                         const Action* action) const {
  const RoutingDecision decision{kind, event, action};
  for (const auto& observer : routingObservers_) {
    observer->gestureRouted(decision);
  }
}

void AppDelegate::handleGesture(const GestureEvent& event) {
  for (const auto& observer : routingObservers_) {
    observer->gestureReceived(event);
  }
  // One snapshot for the whole gesture: a save on another thread meanwhile cannot mix old and new
  // values within one routing.
  const std::shared_ptr<const Configuration> configuration = configStore_.current();
  if (!configuration->enabled) {
    logger.debug("gesture %{public}s ignored — app disabled", {event.description()});
    report(RoutingDecision::Kind::ignoredWhileDisabled, event);
    return;
  }
  const RecognitionConfig& tuning = configuration->tuning;
  switch (event.kind()) {
    case GestureEvent::Case::dragBegan:
      logger.notice("gesture dragBegan");
      report(RoutingDecision::Kind::dragBegan, event);
      SyntheticDrag::shared().begin(platform::Point{event.startX(), event.startY()});
      return;
    case GestureEvent::Case::dragMoved:
      SyntheticDrag::shared().followCursor();
      return;
    case GestureEvent::Case::dragEnded:
      logger.notice("gesture dragEnded");
      report(RoutingDecision::Kind::dragEnded, event);
      SyntheticDrag::shared().end();
      return;
    case GestureEvent::Case::dragScrollMoved: {
      const float sign = scrollSign(tuning);
      const float dx = sign * (tuning.dragScrollSensitivity * event.deltaX());
      const float dy = sign * (tuning.dragScrollSensitivity * event.deltaY());
      SyntheticScroll::shared().scroll(dx, dy);
      if (tuning.dragAutoscrollNudgeEnabled) {
        // The nudge is a share of the scroll amount in the same single precision; only the
        // result is widened for the drag's position.
        SyntheticDrag::shared().moveBy(static_cast<double>(autoscrollNudgeFactor * dx),
                                       static_cast<double>(autoscrollNudgeFactor * dy));
      }
      return;
    }
    case GestureEvent::Case::dragScrollEnded: {
      const float sign = scrollSign(tuning);
      SyntheticScroll::shared().startMomentum(
          sign * (tuning.dragScrollSensitivity * event.velocityX()),
          sign * (tuning.dragScrollSensitivity * event.velocityY()));
      return;
    }
    case GestureEvent::Case::swipeCandidateBegan:
      // The pipeline has already used it for scroll suppression.
      return;
    case GestureEvent::Case::tap:
    case GestureEvent::Case::doubleTap:
    case GestureEvent::Case::tripleTap:
    case GestureEvent::Case::rightZoneTap:
    case GestureEvent::Case::swipe:
    case GestureEvent::Case::pinch:
      routeBinding(event, *configuration);
      return;
  }
}

void AppDelegate::routeBinding(const GestureEvent& event, const Configuration& configuration) {
  const std::optional<Action> action = bindingLookup_.action(event, configuration);
  if (!action) {
    logger.debug("gesture %{public}s — no binding", {event.description()});
    report(RoutingDecision::Kind::unbound, event);
    return;
  }
  logger.notice("gesture %{public}s -> %{public}s", {event.description(), action->description()});
  report(RoutingDecision::Kind::bound, event, &*action);
  dispatcher_.perform(*action);

  if (!configuration.tuning.showGestureHUD || isClick(action->kind())) {
    return;
  }
  std::weak_ptr<AppDelegate> weakSelf = weak_from_this();
  platform_.dispatch().main().async([weakSelf, event, action = *action] {
    if (auto self = weakSelf.lock()) {
      self->showOverlay(event, action);
    }
  });
}

void AppDelegate::showOverlay(const GestureEvent& event, const Action& action) {
  if (!hud_ && makeOverlay_) {
    hud_ = makeOverlay_();
  }
  if (hud_) {
    hud_->show(event, action);
  }
}

void AppDelegate::setEnabled(bool enabled) {
  if (!enabled) {
    SyntheticDrag::shared().end();
    SyntheticScroll::shared().stopMomentum();
    AppSwitcher::shared().release();
  }
  Configuration configuration = *configStore_.current();
  configuration.enabled = enabled;
  configStore_.save(configuration);
  // An application launched with gestures off has never started its pipeline; switching them on
  // must make gestures work without a restart. Routing checks the flag on every event, so a
  // running pipeline is left as it is either way.
  if (enabled && inputPipeline_ && !inputPipeline_->isStarted()) {
    inputPipeline_->start();
  }
}

}  // namespace tactora
