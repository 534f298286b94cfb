#include "Platform/linux/gnome/GnomeExtensionStatus.h"

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <cstring>
#include <system_error>

#include "Platform/linux/gnome/GnomeExtensionClient.h"

namespace tactora::lx {

namespace {

constexpr const char* shellPath = "/org/gnome/Shell";
constexpr const char* extensionsInterface = "org.gnome.Shell.Extensions";
constexpr const char* propertiesInterface = "org.freedesktop.DBus.Properties";

// The shell's numbers for an extension's state (ExtensionState in its extensionUtils.js; 45 added
// DISABLING and ENABLING, 46 renamed ENABLED and DISABLED to ACTIVE and INACTIVE).
enum ShellState {
  shellEnabled = 1,
  shellDisabled = 2,
  shellError = 3,
  shellOutOfDate = 4,
  shellInitialized = 6,
  shellDisabling = 7,
  shellEnabling = 8,
};

// Reads the variant at the cursor into `value` when it holds `type`, and passes over it
// otherwise (a value of another shell's type is no reason to fail).
int readVariant(sd_bus_message* message, char type, void* value) {
  const char contents[2] = {type, '\0'};
  char found = 0;
  const char* foundContents = nullptr;
  int result = sd_bus_message_peek_type(message, &found, &foundContents);
  if (result <= 0) {
    return result < 0 ? result : -EBADMSG;
  }
  if (found != SD_BUS_TYPE_VARIANT || foundContents == nullptr ||
      std::strcmp(foundContents, contents) != 0) {
    return sd_bus_message_skip(message, "v");
  }
  return sd_bus_message_read(message, "v", contents, value);
}

// GetExtensionInfo's dictionary: the state and error keys; `found` when it held anything (the
// shell answers an empty dictionary for an extension it does not know).
int readInfo(sd_bus_message* reply, double& state, std::string& errorText, bool& found) {
  int result = sd_bus_message_enter_container(reply, 'a', "{sv}");
  while (result >= 0 && (result = sd_bus_message_enter_container(reply, 'e', "sv")) > 0) {
    const char* key = nullptr;
    result = sd_bus_message_read(reply, "s", &key);
    if (result < 0) {
      break;
    }
    found = true;
    if (std::strcmp(key, "state") == 0) {
      result = readVariant(reply, 'd', &state);
    } else if (std::strcmp(key, "error") == 0) {
      const char* text = nullptr;
      result = readVariant(reply, 's', &text);
      if (result >= 0 && text != nullptr) {
        errorText = text;
      }
    } else {
      result = sd_bus_message_skip(reply, "v");
    }
    if (result >= 0) {
      result = sd_bus_message_exit_container(reply);
    }
  }
  return result < 0 ? result : sd_bus_message_exit_container(reply);
}

GnomeExtensionStatus::State stateOf(double shellState, bool found) {
  if (!found) {
    return GnomeExtensionStatus::State::notInstalled;
  }
  switch (static_cast<int>(shellState)) {
    case shellEnabled:
    case shellEnabling:
      return GnomeExtensionStatus::State::running;
    case shellDisabled:
    case shellInitialized:
    case shellDisabling:
      return GnomeExtensionStatus::State::disabled;
    case shellError:
      return GnomeExtensionStatus::State::failed;
    case shellOutOfDate:
      return GnomeExtensionStatus::State::outOfDate;
  }
  // Downloading, uninstalled, or a state of a later shell: not there to be used.
  return GnomeExtensionStatus::State::notInstalled;
}

std::string enableCommand() {
  return std::string("`gnome-extensions enable ") + GnomeExtensionClient::uuid + "`";
}

}  // namespace

GnomeExtensionStatus GnomeExtensionStatus::read(SessionBus& bus,
                                                std::chrono::milliseconds timeout) {
  GnomeExtensionStatus status;
  double shellState = 0;
  bool found = false;
  const int result = bus.call(
      {GnomeExtensionClient::busName, shellPath, extensionsInterface, "GetExtensionInfo"}, timeout,
      [](sd_bus_message* request) {
        return sd_bus_message_append(request, "s", GnomeExtensionClient::uuid);
      },
      [&](sd_bus_message* reply) { return readInfo(reply, shellState, status.error, found); });
  if (result < 0) {
    return status;
  }
  status.state = stateOf(shellState, found);

  const auto property = [&](const char* name, const SessionBus::Read& read) {
    return bus.call(
        {GnomeExtensionClient::busName, shellPath, propertiesInterface, "Get"}, timeout,
        [name](sd_bus_message* request) {
          return sd_bus_message_append(request, "ss", extensionsInterface, name);
        },
        read);
  };
  property("ShellVersion", [&status](sd_bus_message* reply) {
    const char* version = nullptr;
    const int read = readVariant(reply, 's', &version);
    if (read >= 0 && version != nullptr) {
      status.shellVersion = version;
    }
    return read;
  });
  int userExtensions = 1;
  if (property("UserExtensionsEnabled", [&userExtensions](sd_bus_message* reply) {
        return readVariant(reply, 'b', &userExtensions);
      }) >= 0) {
    status.userExtensionsEnabled = userExtensions != 0;
  }
  return status;
}

std::string GnomeExtensionStatus::generation(const std::string& shellVersion) {
  const int major = std::atoi(shellVersion.c_str());
  return major > 0 && major < 45 ? "gnome-42" : "gnome-45";
}

std::string GnomeExtensionStatus::description(
    const std::vector<std::string>& dataDirectories) const {
  const std::string uuid = GnomeExtensionClient::uuid;
  const std::string shell = "GNOME Shell" + (shellVersion.empty() ? "" : " " + shellVersion);
  const std::string folder = "data/gnome-shell/" + generation(shellVersion) + "/" + uuid;
  switch (state) {
    case State::shellNotAnswering:
      return "cannot tell: GNOME Shell does not answer on the session bus";
    case State::running:
      return uuid + " is running in " + shell;
    case State::notInstalled:
      for (const std::string& directory : dataDirectories) {
        const std::filesystem::path installed =
            std::filesystem::path(directory) / "gnome-shell/extensions" / uuid;
        std::error_code ignored;
        if (std::filesystem::exists(installed / "metadata.json", ignored)) {
          return uuid + " is installed in " + installed.string() + ", but " + shell +
                 " has not read it yet: log out and back in, then run " + enableCommand();
        }
      }
      return uuid + " is not installed: install the Tactora package, or copy " + folder +
             " into ~/.local/share/gnome-shell/extensions (see the README); then log out and "
             "back in and run " +
             enableCommand();
    case State::disabled:
      if (!userExtensionsEnabled) {
        return uuid +
               " is installed, but extensions are turned off: turn them on in the "
               "Extensions application, or run `gsettings set org.gnome.shell "
               "disable-user-extensions false`";
      }
      return uuid + " is installed but not enabled: run " + enableCommand();
    case State::outOfDate:
      return uuid + " is installed in the build for another generation of GNOME Shell: " + shell +
             " needs the one in " + folder +
             " (see the README); install it, then log out and "
             "back in";
    case State::failed:
      return uuid + " failed in " + shell + ": " + (error.empty() ? "no reason given" : error) +
             "; reinstall it (see the README) and log out and back in";
  }
  return {};
}

}  // namespace tactora::lx
