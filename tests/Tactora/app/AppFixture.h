#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/config/Configuration.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "Tactora/input/MTBridge.h"
#include "support/CapturingLogSink.h"
#include "support/SourceTree.h"

namespace tactora::testing {

// Records every overlay the application shows, with the time it was shown.
class RecordingOverlay : public GestureOverlayPresenting {
 public:
  struct Shown {
    GestureEvent event;
    Action action;
  };
  void show(const GestureEvent& event, const Action& action) override {
    shown.push_back({event, action});
  }
  std::vector<Shown> shown;
};

// A fresh simulated platform, a capturing log and an application whose configuration lives in a
// private temporary directory.
class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = sim::SimPlatform::install(100.0);
    sim->events().setPointer({500, 300});
    log = std::make_shared<platform::CapturingLogSink>();
    previousSink = platform::Log::setSink(log);
    ASSERT_FALSE(configDir.empty());
    // The pipeline opens the simulated provider, never a real device; it starts with no device.
    locateSimProvider();
    providerPath = sim::SimMultitouch::defaultPath();
    MTBridgeSetProviderPath(providerPath.c_str());
    multitouch = sim::SimMultitouch::bind(providerPath);
    ASSERT_TRUE(multitouch.has_value()) << providerPath;
    multitouch->reset();
  }

  void TearDown() override {
    app.reset();
    // The provider's devices outlive a test unless dropped; each test runs in its own process
    // under CTest, and the leak checker would report them at exit. Empty when SetUp could not
    // load the provider.
    if (multitouch) {
      multitouch->reset();
    }
    platform::Log::setSink(previousSink);
  }

  // Creates the application with `configuration` stored on disk (defaults when none), launches
  // it and runs what launch scheduled.
  void launch(std::optional<Configuration> configuration = std::nullopt) {
    if (configuration) {
      std::ofstream(configDir / "config.json") << encodeConfiguration(*configuration);
    }
    AppDelegate::Options options;
    options.configDirectory = configDir;
    options.makeOverlay = [this] {
      overlay = std::make_shared<RecordingOverlay>();
      return overlay;
    };
    app = AppDelegate::create(*sim, std::move(options));
    app->applicationDidFinishLaunching();
    sim->timeline().runDue();
  }

  // The defaults with `bindings` in front of the All Apps bindings.
  static Configuration withAllAppsBindings(std::vector<GestureBinding> bindings) {
    Configuration configuration = defaultConfiguration();
    for (Profile& profile : configuration.profiles) {
      if (profile.isAllApps()) {
        profile.bindings.insert(profile.bindings.begin(), bindings.begin(), bindings.end());
      }
    }
    return configuration;
  }

  std::vector<sim::SimEvents::PostedEvent> posted() const { return sim->events().posted(); }

  std::shared_ptr<sim::SimPlatform> sim;
  std::shared_ptr<platform::CapturingLogSink> log;
  std::shared_ptr<platform::LogSink> previousSink;
  TemporaryDirectory configHome{"tactora-app"};
  const std::filesystem::path& configDir = configHome.path();
  std::shared_ptr<AppDelegate> app;
  std::shared_ptr<RecordingOverlay> overlay;
  std::string providerPath;
  std::optional<sim::SimMultitouch> multitouch;
};

}  // namespace tactora::testing
