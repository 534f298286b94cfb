#pragma once

#include <filesystem>
#include <functional>

#include <QUrl>

#include "Tactora/config/ConfigStore.h"

namespace tactora::platform {
class Platform;
class Updater;
}  // namespace tactora::platform

namespace tactora::settings {

class SurfaceFrameSource;

// What the settings window works with, handed in by the application that opens it. Everything
// but the store may be absent; the window then leaves out what depends on it.
struct SettingsContext {
  ConfigStore* configStore = nullptr;
  // The update check; null in builds without it (no "Check for Updates…", no automatic switch).
  platform::Updater* updater = nullptr;
  // Launch at login: read when the General tab is built, switched when the user changes it.
  std::function<bool()> launchAtLoginEnabled;
  std::function<void(bool)> setLaunchAtLogin;
  // The acknowledgements document; "Open-Source Licenses" shows only when the file exists.
  std::filesystem::path acknowledgementsPath;
  // Opens a document with the desktop's default application (QDesktopServices when empty).
  std::function<void(const QUrl&)> openURL;
  // Live contacts for the surface view of the Tuning tab; none: the view shows the zone only.
  SurfaceFrameSource* frames = nullptr;
  // The platform, for the Gestures tab (application names and the installed applications, the
  // keyboard's keys, preferences).
  platform::Platform* platform = nullptr;

  // share/doc/tactora/ACKNOWLEDGEMENTS.md beside the running program's installation prefix.
  static std::filesystem::path installedAcknowledgements();
};

}  // namespace tactora::settings
