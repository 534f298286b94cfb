#include "Tactora/updates/BuildVersion.h"

namespace tactora {

std::string BuildVersion::shortVersion() {
  return TACTORA_VERSION;
}

std::string BuildVersion::buildNumber() {
  return TACTORA_BUILD_NUMBER;
}

std::string BuildVersion::updateFeedURL() {
  return TACTORA_UPDATE_FEED_URL;
}

bool BuildVersion::updateCheckBuiltIn() {
  return TACTORA_UPDATE_CHECK_BUILT != 0;
}

}  // namespace tactora
