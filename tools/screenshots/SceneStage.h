#pragma once

#include <QImage>
#include <QPalette>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"
#include "Tactora/config/ConfigStore.h"
#include "Tactora/settings/SurfaceFrameHandoff.h"

class QWidget;

namespace tactora::screenshots {

// Every window, dialog and panel of Tactora as a person meets it, built on a simulated desktop
// with a sample configuration: what `tactora-screenshots` draws into docs/screenshots, and what
// the tests walk to check that every text fits its control and that the mouse wheel changes
// nothing the user did not click into. One stage holds one scene and everything it needs.
class SceneStage {
 public:
  struct Scene {
    // The picture's file name without its palette and scale suffixes ("settings-general").
    std::string name;
    // Drawn in a light and a dark palette ("-light", "-dark"); otherwise in the light one only,
    // without a suffix.
    bool themed = true;
    // Builds and shows the scene; the stage owns what it builds. Returns the widget the scene's
    // texts and controls live in.
    std::function<QWidget*(SceneStage&)> show;
    // The picture of the shown widget; its own grab when empty.
    std::function<QImage(QWidget&)> draw;
  };

  static const std::vector<Scene>& scenes();
  static const Scene* scene(const std::string& name);

  // The dark palette of the dark pictures; the light ones use the style's own.
  static QPalette darkPalette();

  // A fresh simulated desktop and a store in a temporary folder holding the sample configuration.
  SceneStage();
  ~SceneStage();
  SceneStage(const SceneStage&) = delete;
  SceneStage& operator=(const SceneStage&) = delete;

  sim::SimPlatform& platform() { return *platform_; }
  ConfigStore& store() { return *store_; }
  settings::SurfaceFrameHandoff& frames() { return frames_; }
  std::filesystem::path folder() const { return folder_.path().toStdString(); }

  // Keeps `object` until the stage goes; returns it.
  template <typename T>
  T* keep(std::shared_ptr<T> object) {
    kept_.push_back(object);
    return object.get();
  }
  template <typename T>
  T* keep(std::unique_ptr<T> object) {
    return keep(std::shared_ptr<T>(std::move(object)));
  }

  // The one-line texts, buttons, pickers, fields and menu items shown in `root` that are cut off,
  // each as "what: text"; empty when everything fits. Word-wrapped labels may take more lines.
  static std::vector<std::string> cutOffTexts(QWidget& root);

 private:
  QTemporaryDir folder_;
  std::shared_ptr<sim::SimPlatform> platform_;
  std::unique_ptr<ConfigStore> store_;
  settings::SurfaceFrameHandoff frames_;
  // Destroyed first, in reverse order of building: windows before what they use.
  std::vector<std::shared_ptr<void>> kept_;
};

}  // namespace tactora::screenshots
