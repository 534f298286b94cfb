#pragma once

#include <memory>
#include <string>

#include "Platform/Platform.h"
#include "Platform/sim/SimAccessibility.h"
#include "Platform/sim/SimApplicationCatalog.h"
#include "Platform/sim/SimBattery.h"
#include "Platform/sim/SimClock.h"
#include "Platform/sim/SimDispatch.h"
#include "Platform/sim/SimEvents.h"
#include "Platform/sim/SimKeyboardKeys.h"
#include "Platform/sim/SimLoginItems.h"
#include "Platform/sim/SimPanels.h"
#include "Platform/sim/SimPermissions.h"
#include "Platform/sim/SimPreferences.h"
#include "Platform/sim/SimSystemBridges.h"
#include "Platform/sim/SimUpdater.h"
#include "Platform/sim/SimWorkspace.h"
#include "Platform/sim/VirtualTimeline.h"

namespace tactora::sim {

// The whole simulated platform on one virtual timeline. Defaults are a working desktop: an event
// source, the Dock entry point, the usual space hot keys, Accessibility answering, both grants.
// Each service's sim class offers the switches and records a test needs.
class SimPlatform final : public platform::Platform {
 public:
  explicit SimPlatform(double startUptimeSeconds = 0);

  // Creates a fresh simulated platform and installs it as the process's platform.
  static std::shared_ptr<SimPlatform> install(double startUptimeSeconds = 0);

  VirtualTimeline& timeline() { return timeline_; }

  SimClock& clock() override { return clock_; }
  SimDispatch& dispatch() override { return dispatch_; }
  SimEvents& events() override { return events_; }
  SimSystemBridges& systemBridges() override { return systemBridges_; }
  SimAccessibility& accessibility() override { return accessibility_; }
  SimWorkspace& workspace() override { return workspace_; }
  SimPermissions& permissions() override { return permissions_; }
  SimPreferences& preferences() override { return preferences_; }
  SimLoginItems& loginItems() override { return loginItems_; }
  SimUpdater& updater() override { return updater_; }
  SimKeyboardKeys& keyboardKeys() override { return keyboardKeys_; }
  SimApplicationCatalog& applicationCatalog() override { return applicationCatalog_; }
  SimBattery& battery() override { return battery_; }
  SimPanels& panels() override { return panels_; }

 private:
  VirtualTimeline timeline_;
  SimClock clock_;
  SimDispatch dispatch_;
  SimEvents events_;
  SimSystemBridges systemBridges_;
  SimPermissions permissions_;
  SimAccessibility accessibility_;
  SimWorkspace workspace_;
  SimPreferences preferences_;
  SimLoginItems loginItems_;
  SimUpdater updater_;
  SimKeyboardKeys keyboardKeys_;
  SimApplicationCatalog applicationCatalog_;
  SimBattery battery_;
  SimPanels panels_;
};

}  // namespace tactora::sim
