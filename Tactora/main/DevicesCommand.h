#pragma once

namespace CLI {
class App;
}

namespace tactora {

// Adds `tactora devices` to the command line: every input device with a touch surface, the one
// Tactora would use and why the others are skipped, whether each can be read and taken, whether
// /dev/uinput is writable, and our own virtual devices. Always exits 0.
void registerDevicesCommand(CLI::App& app);

}  // namespace tactora
