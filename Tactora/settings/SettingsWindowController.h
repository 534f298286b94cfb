#pragma once

#include <QPointer>
#include <functional>
#include <optional>

#include "Tactora/settings/SettingsContext.h"
#include "Tactora/settings/SettingsWindow.h"

namespace tactora::settings {

// Opens the settings window on demand, keeps at most one, and forgets it when it closes, so the
// next opening builds it afresh on its first tab. Lives as long as the application.
class SettingsWindowController {
 public:
  explicit SettingsWindowController(SettingsContext context);
  ~SettingsWindowController();
  SettingsWindowController(const SettingsWindowController&) = delete;
  SettingsWindowController& operator=(const SettingsWindowController&) = delete;

  // Builds the window when there is none, selects `tab` when given, and brings it forward: shown,
  // no longer minimised, raised and active.
  void showSettings(std::optional<int> tab = std::nullopt);

  // The open window; null when none is open.
  SettingsWindow* window() const { return window_.data(); }

  // Runs after the window has closed.
  std::function<void()> onClose;

 private:
  SettingsContext context_;
  QPointer<SettingsWindow> window_;
};

}  // namespace tactora::settings
