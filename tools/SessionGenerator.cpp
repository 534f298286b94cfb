// Generates recorded sessions (evemu format) from touch scripts:
//   tactora-session-generator [--check] [--device RECORDING] SCRIPT.touch...
// writes SCRIPT.evemu next to each script, with the device description of RECORDING (by default
// the real Magic Mouse recording in real/ next to the script). With --check nothing is written;
// the exit status is 1 when a committed recording differs from what its script generates.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "Tactora/config/FileIO.h"
#include "tools/sessions/SessionScript.h"
#include "tools/sessions/SessionSynthesizer.h"

namespace {

constexpr const char* usage =
    "usage: tactora-session-generator [--check] [--device RECORDING] SCRIPT.touch...\n";

int reportError(const tactora::InputError& error) {
  std::fprintf(stderr, "tactora-session-generator: %s\n", error.description().c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool check = false;
  std::string device;
  std::vector<std::string> scripts;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--check") {
      check = true;
    } else if (argument == "--device" && i + 1 < argc) {
      device = argv[++i];
    } else if (argument == "--help" || argument == "-h") {
      std::printf("%s", usage);
      return 0;
    } else {
      scripts.push_back(argument);
    }
  }
  if (scripts.empty()) {
    std::fprintf(stderr, "%s", usage);
    return 2;
  }

  // One synthesizer per device recording, read once however many scripts use it.
  std::map<std::string, tactora::SessionSynthesizer> synthesizers;
  int status = 0;
  for (const std::string& path : scripts) {
    const std::string recording = !device.empty()
                                      ? device
                                      : (std::filesystem::path(path).parent_path() /
                                         tactora::SessionSynthesizer::realDeviceRecording)
                                            .string();
    auto known = synthesizers.find(recording);
    if (known == synthesizers.end()) {
      auto loaded = tactora::SessionSynthesizer::forRecordingFile(recording);
      if (!loaded) {
        return reportError(loaded.error());
      }
      known = synthesizers.emplace(recording, std::move(loaded).value()).first;
    }
    auto rendered = known->second.renderScriptFile(path);
    if (!rendered) {
      return reportError(rendered.error());
    }
    const std::string& text = *rendered;
    std::string output = path.substr(0, path.rfind(".touch")) + ".evemu";
    if (check) {
      const tactora::Expected<std::string> existing = tactora::fileio::readWholeFile(output);
      if (!existing || *existing != text) {
        std::fprintf(stderr, "tactora-session-generator: %s differs from what %s generates\n",
                     output.c_str(), path.c_str());
        status = 1;
      }
      continue;
    }
    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.flush()) {
      std::fprintf(stderr, "tactora-session-generator: %s: cannot write\n", output.c_str());
      return 2;
    }
  }
  return status;
}
