#pragma once

namespace CLI {
class App;
}

namespace tactora {

// Adds `tactora doctor`: what a user runs before filing a bug. Plain lines about the session and
// desktop, where the focused application comes from and what it is now, the workspace, overview
// and window-closing methods found, the tray host, the two grants and the file behind each, the
// Magic Mouse, pointer and modifier reads, and the configuration file. Always exits 0, whatever
// is missing or broken on the desktop.
void registerDoctorCommand(CLI::App& app);

}  // namespace tactora
