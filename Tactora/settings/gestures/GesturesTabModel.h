#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Tactora/config/ConfigStore.h"
#include "Tactora/presentation/GestureDescription.h"

namespace tactora {

// What the Gestures tab does, without the widgets: which profile is shown, its bindings grouped
// and sorted for display, and every edit the tab offers. Each edit works on a copy of the store's
// current configuration and saves it through the store.
class GesturesTabModel {
 public:
  struct Row {
    std::size_t index;  // position in the shown profile's bindings
    GestureBinding binding;
  };
  struct Section {
    GestureDescription::Category category;
    std::vector<Row> rows;
  };

  // `smartZoomSetting` reads the system's one-finger double-tap zoom setting (empty when unset).
  GesturesTabModel(ConfigStore& store,
                   std::function<std::optional<std::int64_t>()> smartZoomSetting);

  const std::optional<std::string>& selectedBundleID() const { return selectedBundleID_; }
  void select(std::optional<std::string> bundleIdentifier);

  // The shown profile in `configuration`: the first with the selected identifier. Null when the
  // selected application has no profile (any more).
  const Profile* shownProfile(const Configuration& configuration) const;
  // The application profiles in configuration order, each identifier once.
  std::vector<std::string> applicationProfiles() const;

  // The shown bindings by category in display order (empty sections left out), each section
  // sorted by the gesture's sort key, then the modifier byte. Stored order is not changed.
  std::vector<Section> sections() const;
  bool isEmpty() const;

  // Replaces the first binding with an equal trigger in place, or appends.
  void addBinding(const GestureBinding& binding);
  void setAction(std::size_t index, const Action& action);
  void deleteBinding(std::size_t index);

  // Selects the application's profile, appending an empty one first when it has none. An empty
  // identifier is ignored.
  void addApplicationProfile(const std::string& bundleIdentifier);
  // Removes every profile of the shown application and shows All Apps.
  void removeShownProfile();

  bool canRestoreDeletedGestures() const;
  void restoreDeletedGestures();
  void resetAllAppsGestures();
  void removeOverrides();

  // The system's own one-finger double tap (Smart Zoom) is on and the shown profile, or All Apps
  // behind it, binds a one-finger double tap without modifiers.
  bool showsSmartZoomBanner() const;

 private:
  // Applies `edit` to the shown profile of a copy of the current configuration and saves; does
  // nothing when no profile is shown.
  void editShownProfile(const std::function<void(Profile&)>& edit);

  ConfigStore& store_;
  std::function<std::optional<std::int64_t>()> smartZoomSetting_;
  std::optional<std::string> selectedBundleID_;
};

}  // namespace tactora
