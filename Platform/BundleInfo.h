#pragma once

#include <optional>
#include <string>

namespace tactora::platform {

// Facts about the running application's own bundle (its installation).
struct BundleInfo {
  std::string bundlePath;                     // the application bundle (installation) path
  std::optional<std::string> executablePath;  // the running executable
  std::string resourcesPath;                  // read-only resources shipped with the application
  std::optional<std::string> shortVersionString;  // "CFBundleShortVersionString", e.g. "2.1"
  std::optional<std::string> bundleVersion;       // "CFBundleVersion", e.g. "57"

  friend bool operator==(const BundleInfo&, const BundleInfo&) = default;
};

}  // namespace tactora::platform
