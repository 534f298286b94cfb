#include "Tactora/settings/gestures/GesturesTabModel.h"

#include <algorithm>

#include "Tactora/config/BindingLookup.h"

namespace tactora {

GesturesTabModel::GesturesTabModel(ConfigStore& store,
                                   std::function<std::optional<std::int64_t>()> smartZoomSetting)
    : store_(store), smartZoomSetting_(std::move(smartZoomSetting)) {}

void GesturesTabModel::select(std::optional<std::string> bundleIdentifier) {
  selectedBundleID_ = std::move(bundleIdentifier);
}

const Profile* GesturesTabModel::shownProfile(const Configuration& configuration) const {
  for (const auto& profile : configuration.profiles) {
    if (profile.bundleIdentifier == selectedBundleID_) {
      return &profile;
    }
  }
  return nullptr;
}

std::vector<std::string> GesturesTabModel::applicationProfiles() const {
  std::vector<std::string> identifiers;
  for (const auto& profile : store_.current()->profiles) {
    if (profile.bundleIdentifier && std::find(identifiers.begin(), identifiers.end(),
                                              *profile.bundleIdentifier) == identifiers.end()) {
      identifiers.push_back(*profile.bundleIdentifier);
    }
  }
  return identifiers;
}

std::vector<GesturesTabModel::Section> GesturesTabModel::sections() const {
  using GestureDescription::Category;
  const auto configuration = store_.current();
  const Profile* profile = shownProfile(*configuration);
  std::vector<Section> sections;
  if (profile == nullptr) {
    return sections;
  }
  for (Category category : {Category::taps, Category::swipes, Category::pinch, Category::other}) {
    Section section{category, {}};
    for (std::size_t i = 0; i < profile->bindings.size(); ++i) {
      if (GestureDescription::category(profile->bindings[i].trigger.gesture) == category) {
        section.rows.push_back({i, profile->bindings[i]});
      }
    }
    // Stable, so bindings with equal keys and modifiers keep their stored order.
    std::stable_sort(section.rows.begin(), section.rows.end(), [](const Row& a, const Row& b) {
      const auto keyA = GestureDescription::sortKey(a.binding.trigger.gesture);
      const auto keyB = GestureDescription::sortKey(b.binding.trigger.gesture);
      if (keyA != keyB) {
        return keyA < keyB;
      }
      return a.binding.trigger.modifiers.rawValue < b.binding.trigger.modifiers.rawValue;
    });
    if (!section.rows.empty()) {
      sections.push_back(std::move(section));
    }
  }
  return sections;
}

bool GesturesTabModel::isEmpty() const {
  const Profile* profile = shownProfile(*store_.current());
  return profile == nullptr || profile->bindings.empty();
}

void GesturesTabModel::editShownProfile(const std::function<void(Profile&)>& edit) {
  Configuration configuration = *store_.current();
  for (auto& profile : configuration.profiles) {
    if (profile.bundleIdentifier == selectedBundleID_) {
      edit(profile);
      store_.save(configuration);
      return;
    }
  }
}

void GesturesTabModel::addBinding(const GestureBinding& binding) {
  editShownProfile([&](Profile& profile) {
    auto same = std::find_if(
        profile.bindings.begin(), profile.bindings.end(),
        [&](const GestureBinding& existing) { return existing.trigger == binding.trigger; });
    if (same != profile.bindings.end()) {
      *same = binding;
    } else {
      profile.bindings.push_back(binding);
    }
  });
}

void GesturesTabModel::setAction(std::size_t index, const Action& action) {
  // A row built from an older value may name a position that is gone; it edits nothing then.
  const Profile* profile = shownProfile(*store_.current());
  if (profile == nullptr || index >= profile->bindings.size() ||
      profile->bindings[index].action == action) {
    return;
  }
  editShownProfile([&](Profile& shown) { shown.bindings[index].action = action; });
}

void GesturesTabModel::deleteBinding(std::size_t index) {
  const Profile* profile = shownProfile(*store_.current());
  if (profile == nullptr || index >= profile->bindings.size()) {
    return;
  }
  editShownProfile([&](Profile& shown) {
    shown.bindings.erase(shown.bindings.begin() + static_cast<std::ptrdiff_t>(index));
  });
}

void GesturesTabModel::addApplicationProfile(const std::string& bundleIdentifier) {
  if (bundleIdentifier.empty()) {
    return;
  }
  if (store_.current()->profile(bundleIdentifier) == nullptr) {
    Configuration configuration = *store_.current();
    configuration.profiles.push_back(Profile{bundleIdentifier, {}});
    store_.save(configuration);
  }
  selectedBundleID_ = bundleIdentifier;
}

void GesturesTabModel::removeShownProfile() {
  if (!selectedBundleID_) {
    return;  // All Apps cannot be removed
  }
  Configuration configuration = *store_.current();
  std::erase_if(configuration.profiles, [&](const Profile& profile) {
    return profile.bundleIdentifier == selectedBundleID_;
  });
  selectedBundleID_.reset();
  store_.save(configuration);
}

bool GesturesTabModel::canRestoreDeletedGestures() const {
  const auto configuration = store_.current();
  return configuration->restoringDeletedGestures().profiles != configuration->profiles;
}

void GesturesTabModel::restoreDeletedGestures() {
  if (canRestoreDeletedGestures()) {
    store_.save(store_.current()->restoringDeletedGestures());
  }
}

void GesturesTabModel::resetAllAppsGestures() {
  store_.save(store_.current()->resettingAllAppsGestures());
}

void GesturesTabModel::removeOverrides() {
  if (selectedBundleID_) {
    store_.save(store_.current()->removingOverrides(*selectedBundleID_));
  }
}

bool GesturesTabModel::showsSmartZoomBanner() const {
  const auto setting = smartZoomSetting_ ? smartZoomSetting_() : std::nullopt;
  if (!setting || *setting == 0) {
    return false;
  }
  const auto configuration = store_.current();
  const GestureEvent oneFingerDoubleTap = GestureEvent::doubleTap(1);
  if (selectedBundleID_) {
    if (const Profile* shown = shownProfile(*configuration)) {
      if (matchBinding(oneFingerDoubleTap, ModifierSet{}, shown->bindings)) {
        return true;
      }
    }
  }
  const Profile* allApps = configuration->allAppsProfile();
  return allApps != nullptr &&
         matchBinding(oneFingerDoubleTap, ModifierSet{}, allApps->bindings).has_value();
}

}  // namespace tactora
