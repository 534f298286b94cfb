#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "support/SourceTree.h"

namespace tactora::testing {

// The text of the example session examples/sessions/<name>.evemu with its events' times changed:
// `retime` gets each event's time in microseconds, in order, and gives its new one, or nothing to
// cut the recording off before that event.
inline std::string retimedExample(
    const std::string& name,
    const std::function<std::optional<std::int64_t>(std::int64_t)>& retime) {
  std::ifstream example(sourceDir() + "/examples/sessions/" + name + ".evemu");
  std::string text;
  for (std::string line; std::getline(example, line);) {
    if (line.starts_with("E: ")) {
      const std::size_t end = line.find_first_of(" \t", 3);
      const std::optional<std::int64_t> micros =
          retime(std::llround(std::stod(line.substr(3, end - 3)) * 1e6));
      if (!micros) {
        break;
      }
      char time[32];
      std::snprintf(time, sizeof time, "E: %lld.%06lld", static_cast<long long>(*micros / 1000000),
                    static_cast<long long>(*micros % 1000000));
      line = time + line.substr(end);
    }
    text += line + "\n";
  }
  return text;
}

}  // namespace tactora::testing
