#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/SimUpdater.h"
#include "Tactora/config/ConfigStore.h"
#include "Tactora/settings/SettingsContext.h"

namespace tactora::settings {

// A store in a fresh temporary folder, the file it writes, and how often it saved.
class SettingsFixture : public ::testing::Test {
 protected:
  SettingsFixture()
      : store_(
            std::make_unique<ConfigStore>(std::filesystem::path(directory_.path().toStdString()))),
        subscription_(store_->addObserver([this](const Configuration&) { ++saves_; })) {
    context_.configStore = store_.get();
    context_.platform = sim_.get();  // the Gestures tab's
  }

  bool fileExists() const {
    store_->flush();
    return std::filesystem::exists(store_->fileURL());
  }
  // The file as written once every save has reached the disk.
  nlohmann::json savedFile() const {
    store_->flush();
    std::ifstream file(store_->fileURL());
    return nlohmann::json::parse(file);
  }
  nlohmann::json savedTuning() const { return savedFile().at("tuning"); }

  std::shared_ptr<sim::SimPlatform> sim_ = sim::SimPlatform::install();
  QTemporaryDir directory_;
  std::unique_ptr<ConfigStore> store_;
  ConfigStore::Subscription subscription_;
  SettingsContext context_;
  int saves_ = 0;
};

}  // namespace tactora::settings
