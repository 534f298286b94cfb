#include "tests/support/desktop/PlayScenario.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdint>
#include <nlohmann/json.hpp>

#include "support/ExampleRecording.h"

namespace tactora::testing {

void PlayScenario::installApplication(const std::string& desktopId,
                                      const std::string& windowClass) const {
  session_.installApplication(desktopId, desktopId, "StartupWMClass=" + windowClass + "\n");
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
  // The first event is played at once and makes no frame (a report is delivered at its end); the
  // rest of the recording follows it after the lead.
  const auto lead = static_cast<std::int64_t>(leadSeconds * 1e6);
  bool first = true;
  const std::string text = retimedExample(name, [&](std::int64_t micros) {
    const std::int64_t moved = first ? micros : micros + lead;
    first = false;
    return std::optional(moved);
  });
  EXPECT_FALSE(first) << "no events in " << name;
  return session_.write(name + "-with-lead.evemu", text);
}

bool PlayScenario::play(const std::string& name, const std::function<bool()>& done,
                        const std::function<bool()>& focus, std::chrono::milliseconds timeout) {
  const std::filesystem::path played = recording(name);
  if (focus && !eventually(focus)) {
    ADD_FAILURE() << "the window to play on never had the focus";
    return false;
  }
  ++runs_;
  running_ = program_.start(runName(), {"--play", played.string()});
  if (running_ == nullptr) {
    return false;
  }
  // Focusing runs a program of the desktop's; a tenth of a second is soon enough after a window
  // of Tactora's took the focus.
  constexpr auto focusInterval = std::chrono::milliseconds(100);
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

std::function<bool()> PlayScenario::focusXWindow(const std::string& title) const {
  return [this, title] {
    const ProcessResult active = session_.run({"xdotool", "getactivewindow", "getwindowname"});
    if (active.status == 0 && active.output == title + "\n") {
      return true;
    }
    session_.run({"wmctrl", "-F", "-a", title});
    return false;
  };
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
