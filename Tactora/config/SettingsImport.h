#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Tactora/config/ConfigStore.h"
#include "Tactora/config/Configuration.h"

namespace tactora {

// The import half of "Import Settings…" without the panels: reads a settings document, asks for
// confirmation when it would add shell commands the current configuration does not run, and
// replaces the configuration. The window shows the alerts this object describes.
class SettingsImport {
 public:
  struct Alert {
    std::string title;
    std::string message;
    std::string confirmButton;  // empty for the error alert, which only has a dismiss button
    std::string cancelButton;
    // The whole of what the message shortens, behind a button that shows it; empty for none.
    std::string details;
  };

  // `onImported` runs after an import was saved (the Gestures tab selects All Apps).
  explicit SettingsImport(ConfigStore& store, std::function<void()> onImported = {});

  // The panel reported an error instead of a file.
  void panelFailed(std::string description);
  // The user chose `path`: read, decode, then save at once or wait for confirmation.
  void importFile(const std::filesystem::path& path);
  // The document's content, already read.
  void importContents(std::string_view bytes);

  // "Import Anyway" and "Cancel" of the confirmation alert; "OK" of the error alert.
  void confirm();
  void cancel();
  void dismissError();

  const std::optional<Configuration>& pendingImport() const { return pendingImport_; }
  const std::optional<std::string>& importError() const { return importError_; }

  // The alert to show now, if any: the error alert, or the confirmation while an import waits.
  std::optional<Alert> confirmationAlert() const;
  std::optional<Alert> errorAlert() const;

  // The shell commands of `imported` that `current` does not run anywhere, in their order.
  static std::vector<std::string> newShellCommands(const Configuration& imported,
                                                   const Configuration& current);
  static Alert confirmationAlert(const std::vector<std::string>& commands);
  static Alert errorAlert(const std::string& description);

 private:
  void accept(Configuration imported);
  void apply(const Configuration& imported);

  ConfigStore& store_;
  std::function<void()> onImported_;
  std::optional<Configuration> pendingImport_;
  std::optional<std::string> importError_;
};

}  // namespace tactora
