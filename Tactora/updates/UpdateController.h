#pragma once

#include <optional>
#include <string>

#include "Platform/Preferences.h"
#include "Platform/Updater.h"

namespace tactora {

// The application's side of the updater: gives it the feed address (a valid
// "UpdateFeedURLOverride" replaces the built-in one), logs what its checks found, and starts it.
// The rest of the program uses `updater()` directly for user checks and the automatic-check flag.
class UpdateController {
 public:
  static constexpr const char* feedURLOverrideKey = "UpdateFeedURLOverride";

  // Starts `updater`; a failure to start is logged and the controller stays usable.
  UpdateController(platform::Updater& updater, platform::Preferences& preferences);

  platform::Updater& updater() { return updater_; }

  // The override when it is an https address with a host (scheme in any case); else nothing.
  static std::optional<std::string> validFeedURL(const std::optional<std::string>& text);

 private:
  platform::Updater& updater_;
};

}  // namespace tactora
