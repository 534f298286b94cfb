// Generates recorded sessions (evemu format) from touch scripts:
//   tactora-session-generator [--check] SCRIPT.touch...
// writes SCRIPT.evemu next to each script. With --check nothing is written; the exit status is 1
// when a committed recording differs from what its script generates.
#include <cstdio>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include "Tactora/config/FileIO.h"
#include "Tactora/replay/SessionSynthesizer.h"
#include "Tactora/replay/TouchScript.h"

int main(int argc, char** argv) {
  bool check = false;
  std::vector<std::string> scripts;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--check") {
      check = true;
    } else if (argument == "--help" || argument == "-h") {
      std::printf("usage: tactora-session-generator [--check] SCRIPT.touch...\n");
      return 0;
    } else {
      scripts.push_back(argument);
    }
  }
  if (scripts.empty()) {
    std::fprintf(stderr, "usage: tactora-session-generator [--check] SCRIPT.touch...\n");
    return 2;
  }

  int status = 0;
  for (const std::string& path : scripts) {
    auto rendered = tactora::SessionSynthesizer::renderScriptFile(path);
    if (auto* error = std::get_if<tactora::TouchScript::Error>(&rendered)) {
      if (error->line == 0) {
        std::fprintf(stderr, "tactora-session-generator: %s: %s\n", error->file.c_str(),
                     error->message.c_str());
      } else {
        std::fprintf(stderr, "tactora-session-generator: %s:%zu: %s\n", error->file.c_str(),
                     error->line, error->message.c_str());
      }
      return 2;
    }
    const std::string& recording = std::get<std::string>(rendered);
    std::string output = path.substr(0, path.rfind(".touch")) + ".evemu";
    if (check) {
      if (tactora::fileio::readWholeFile(output).bytes != recording) {
        std::fprintf(stderr, "tactora-session-generator: %s differs from what %s generates\n",
                     output.c_str(), path.c_str());
        status = 1;
      }
      continue;
    }
    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    file << recording;
    if (!file.flush()) {
      std::fprintf(stderr, "tactora-session-generator: %s: cannot write\n", output.c_str());
      return 2;
    }
  }
  return status;
}
