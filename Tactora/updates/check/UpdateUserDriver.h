#pragma once

#include <string>

#include "Tactora/updates/check/Appcast.h"

namespace tactora {

// What a person sees of an update check. A found update is always shown; "nothing new" and
// failures only answer a check the user asked for, automatic checks stay quiet about them.
class UpdateUserDriver {
 public:
  virtual ~UpdateUserDriver() = default;

  virtual void showUpdateFound(const Appcast::Item& item, const std::string& currentVersion) = 0;
  virtual void showUpdateNotFound(const std::string& currentVersion) = 0;
  virtual void showUpdaterError(const std::string& description) = 0;
};

}  // namespace tactora
