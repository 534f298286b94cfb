#pragma once

namespace CLI {
class App;
}

namespace tactora {

// Adds `tactora config default` and `tactora config check FILE` to the command line. A command
// that fails ends parsing with its exit status (as a CLI::RuntimeError, which prints nothing).
void registerConfigCommand(CLI::App& app);

}  // namespace tactora
