#pragma once

namespace CLI {
class App;
}

namespace tactora {

// Adds `tactora monitor [--device NODE] [--actions] [--time] [--record FILE]`: the live mouse
// through the whole application on the simulated desktop, printed like `tactora replay` as it
// happens, without taking the mouse from the desktop. SIGINT or SIGTERM end it with status 0.
void registerMonitorCommand(CLI::App& app);

}  // namespace tactora
