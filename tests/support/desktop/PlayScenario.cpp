#include "tests/support/desktop/PlayScenario.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/SourceTree.h"

namespace tactora::testing {

namespace {

// "E: 12.345678" as microseconds; nothing when the line is not an event.
std::optional<std::int64_t> eventTime(const std::string& line, std::size_t* end) {
  if (!line.starts_with("E: ")) {
    return std::nullopt;
  }
  const std::size_t stop = line.find_first_of(" \t", 3);
  *end = stop == std::string::npos ? line.size() : stop;
  return std::llround(std::stod(line.substr(3, *end - 3)) * 1e6);
}

constexpr auto focusInterval = std::chrono::milliseconds(100);

std::string eventLine(std::int64_t micros, const std::string& rest) {
  char time[32];
  std::snprintf(time, sizeof time, "E: %lld.%06lld", static_cast<long long>(micros / 1000000),
                static_cast<long long>(micros % 1000000));
  return time + rest;
}

}  // namespace

void PlayScenario::installApplication(const std::string& desktopId,
                                      const std::string& windowClass) const {
  session_.write(std::filesystem::relative(session_.dataHome(), session_.folder()) /
                     "applications" / (desktopId + ".desktop"),
                 "[Desktop Entry]\nType=Application\nName=" + desktopId + "\nExec=true\n" +
                     "StartupWMClass=" + windowClass + "\n");
}

void PlayScenario::writeConfiguration(const std::string& desktopId,
                                      const std::string& gestureJson) const {
  const ProcessResult defaults = program_.run({"config", "default"});
  ASSERT_EQ(defaults.status, 0) << defaults.output;
  nlohmann::json configuration = nlohmann::json::parse(defaults.output);
  nlohmann::json binding;
  binding["trigger"] = {{"gesture", nlohmann::json::parse(gestureJson)}, {"modifiers", 0}};
  binding["action"] = {{"shellCommand", {{"_0", "touch '" + marker().string() + "'"}}}};
  configuration["profiles"].push_back({{"bundleIdentifier", desktopId}, {"bindings", {binding}}});
  program_.writeConfiguration(configuration.dump(2));
}

std::filesystem::path PlayScenario::recording(const std::string& name) const {
  std::ifstream example(sourceDir() + "/examples/sessions/" + name + ".evemu");
  std::ostringstream moved;
  const auto lead = static_cast<std::int64_t>(leadSeconds * 1e6);
  bool first = true;
  for (std::string line; std::getline(example, line);) {
    std::size_t end = 0;
    if (const std::optional<std::int64_t> micros = eventTime(line, &end)) {
      if (first) {
        // Played at once: a report without content, so the gesture keeps its lead.
        moved << eventLine(*micros, " 0000 0000 0000") << '\n';
        first = false;
      }
      moved << eventLine(*micros + lead, line.substr(end)) << '\n';
    } else {
      moved << line << '\n';
    }
  }
  EXPECT_FALSE(first) << "no events in " << name;
  return session_.write(name + "-with-lead.evemu", moved.str());
}

bool PlayScenario::play(const std::string& name, const std::function<bool()>& done,
                        const std::function<void()>& focus, std::chrono::milliseconds timeout) {
  const std::filesystem::path played = recording(name);
  ++runs_;
  running_ = program_.start(runName(), {"--play", played.string()});
  if (running_ == nullptr) {
    return false;
  }
  // Focusing runs a program of the desktop's; a tenth of a second is soon enough after a window
  // of Tactora's took the focus.
  auto focusedAt = std::chrono::steady_clock::time_point{};
  return eventually(
             [&] {
               if (focus && std::chrono::steady_clock::now() - focusedAt > focusInterval) {
                 focus();
                 focusedAt = std::chrono::steady_clock::now();
               }
               return done() || !running_->isRunning();
             },
             timeout) &&
         done();
}

int PlayScenario::quit() {
  if (running_ == nullptr) {
    return -1;
  }
  running_->signal(SIGTERM);
  const std::optional<int> status = running_->wait(std::chrono::seconds(20));
  if (!status) {
    running_->stop();
  }
  running_ = nullptr;
  return status.value_or(-1);
}

}  // namespace tactora::testing
