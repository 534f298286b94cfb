#include "Tactora/config/SettingsImport.h"

#include <algorithm>
#include <unordered_set>

#include "Tactora/config/CommandText.h"
#include "Tactora/config/ConfigurationDocument.h"

namespace tactora {

SettingsImport::SettingsImport(ConfigStore& store, std::function<void()> onImported)
    : store_(store), onImported_(std::move(onImported)) {}

void SettingsImport::panelFailed(std::string description) {
  importError_ = std::move(description);
}

void SettingsImport::importFile(const std::filesystem::path& path) {
  auto document = ConfigurationDocument::read(path);
  if (!document) {
    importError_ = document.error().message;
    return;
  }
  accept(std::move(document).value().configuration);
}

void SettingsImport::importContents(std::string_view bytes) {
  auto document = ConfigurationDocument::fromContents(bytes);
  if (!document) {
    importError_ = document.error().description();
    return;
  }
  accept(std::move(document).value().configuration);
}

void SettingsImport::accept(Configuration imported) {
  if (newShellCommands(imported, *store_.current()).empty()) {
    apply(imported);
  } else {
    pendingImport_ = std::move(imported);
  }
}

void SettingsImport::apply(const Configuration& imported) {
  // Saved exactly as read: an older file is migrated by the store on the next launch.
  store_.save(imported);
  if (onImported_) {
    onImported_();
  }
}

void SettingsImport::confirm() {
  if (!pendingImport_) {
    return;
  }
  Configuration imported = std::move(*pendingImport_);
  pendingImport_.reset();
  apply(imported);
}

void SettingsImport::cancel() {
  pendingImport_.reset();
}

void SettingsImport::dismissError() {
  importError_.reset();
}

std::optional<SettingsImport::Alert> SettingsImport::confirmationAlert() const {
  if (!pendingImport_) {
    return std::nullopt;
  }
  return confirmationAlert(newShellCommands(*pendingImport_, *store_.current()));
}

std::optional<SettingsImport::Alert> SettingsImport::errorAlert() const {
  if (!importError_) {
    return std::nullopt;
  }
  return errorAlert(*importError_);
}

std::vector<std::string> SettingsImport::newShellCommands(const Configuration& imported,
                                                          const Configuration& current) {
  const auto existing = current.shellCommands();
  const std::unordered_set<std::string> known(existing.begin(), existing.end());
  std::vector<std::string> added;
  for (auto& command : imported.shellCommands()) {
    if (!known.contains(command)) {
      added.push_back(std::move(command));
    }
  }
  return added;
}

SettingsImport::Alert SettingsImport::confirmationAlert(const std::vector<std::string>& commands) {
  // Each command on one line with its hidden characters escaped, cut when very long; then the
  // whole of every command under the alert's details whenever one was cut.
  std::string list;
  std::string whole;
  bool anyCut = false;
  for (const auto& command : commands) {
    bool cut = false;
    list += (list.empty() ? "" : "\n") + CommandText::shortened(command, &cut);
    whole += (whole.empty() ? "" : "\n\n") + CommandText::escaped(command);
    anyCut = anyCut || cut;
  }
  return Alert{"These settings run commands on your computer",
               "Importing adds gestures that run these shell commands:\n\n" + list +
                   "\n\nA shell command can do anything you can do on this computer. Only import "
                   "settings from someone you trust.",
               "Import Anyway", "Cancel", anyCut ? whole : std::string()};
}

SettingsImport::Alert SettingsImport::errorAlert(const std::string& description) {
  return Alert{"Couldn\u2019t import settings", description, "", "OK", ""};
}

}  // namespace tactora
