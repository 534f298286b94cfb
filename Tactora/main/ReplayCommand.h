#pragma once

namespace CLI {
class App;
}

namespace tactora {

// Adds `tactora replay [--config FILE] [--actions] [--time] RECORDING` to the command line. A
// replay that fails ends parsing with its exit status (as a CLI::RuntimeError, which prints
// nothing more).
void registerReplayCommand(CLI::App& app);

}  // namespace tactora
