#pragma once

#include <string>

namespace tactora {

// What the build says about the program: its version, build number and update feed.
class BuildVersion {
 public:
  // The project version, "0.1.0".
  static std::string shortVersion();
  // The build number, "57".
  static std::string buildNumber();
  // The appcast feed the update check reads unless the preferences name another.
  static std::string updateFeedURL();
  // False in builds made without the update check (distribution packages): then there is no
  // "Check for Updates…" and no automatic-check setting.
  static bool updateCheckBuiltIn();
};

}  // namespace tactora
