#pragma once

namespace CLI {
class App;
}

namespace tactora {

// Adds `tactora devices` to the command line: every input device with a touch surface, the one
// Tactora would use and why the others are skipped, whether each can be read and taken, whether
// /dev/uinput is writable, our own virtual devices, and the multitouch provider library the
// program would load. Always exits 0.
void registerDevicesCommand(CLI::App& app);

}  // namespace tactora
