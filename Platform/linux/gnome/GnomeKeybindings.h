#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/linux/desktop/DesktopFunctions.h"

namespace tactora::lx {

// GNOME's key bindings, read through GSettings each time they are asked for, so a binding the
// user changes is the one replayed next. A schema or key that is not installed, or a key that
// holds no accelerators, reads as unbound: nothing here aborts on a system without GNOME.
class GnomeKeybindings {
 public:
  static constexpr const char* windowManagerSchema = "org.gnome.desktop.wm.keybindings";
  static constexpr const char* shellSchema = "org.gnome.shell.keybindings";

  // The schemas installed for the session (XDG_DATA_DIRS, GSETTINGS_SCHEMA_DIR).
  GnomeKeybindings();
  // Only the compiled schemas in `schemaDirectory`; none when it holds none (logged).
  explicit GnomeKeybindings(const std::filesystem::path& schemaDirectory);
  ~GnomeKeybindings();
  GnomeKeybindings(const GnomeKeybindings&) = delete;
  GnomeKeybindings& operator=(const GnomeKeybindings&) = delete;

  // Whether `schema` is installed with `key`, a list of accelerators.
  bool hasKey(const char* schema, const char* key) const;

  // The accelerators stored under `key`, in order; empty when unbound or not installed.
  std::vector<std::string> accelerators(const char* schema, const char* key) const;

  // The binding of `key`: its first accelerator that names a key combination. Every entry is a
  // binding the window manager honours, so an entry that cannot be read here ("disabled", a
  // key name not known) is passed over for the next one.
  std::optional<KeyBinding> binding(const char* schema, const char* key) const;

  // The window manager's bindings the desktop functions replay.
  static const char* workspaceKey(WorkspaceDirection direction);
  std::optional<KeyBinding> workspaceBinding(WorkspaceDirection direction) const;
  std::optional<KeyBinding> showDesktopBinding() const;      // unbound by default
  std::optional<KeyBinding> closeWindowBinding() const;      // Alt+F4 by default
  std::optional<KeyBinding> applicationViewBinding() const;  // the shell's app grid

 private:
  struct Source;
  std::unique_ptr<Source> source_;
};

}  // namespace tactora::lx
