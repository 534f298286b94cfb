#pragma once

#include <QTimer>
#include <QWidget>
#include <map>
#include <optional>
#include <vector>

#include "Tactora/config/ConfigStore.h"
#include "Tactora/settings/TuningModel.h"

class QCheckBox;
class QComboBox;
class QMessageBox;
class QPushButton;
class QVBoxLayout;

namespace tactora::settings {

class SliderRow;
class SurfaceFrameSource;
class SurfaceView;

// The Tuning tab: the live surface view, then the recognition settings in eight sections, each
// with its "Restore Defaults". Every change is saved through the store; while a slider is being
// dragged the saves are spaced out, and the value at release is always saved, as is a value still
// held when the tab goes away (the application quitting mid-drag). The tab shows every saved
// configuration once, whoever saved it.
class TuningTab final : public QWidget {
  Q_OBJECT

 public:
  // At most one save per this interval while a slider is held.
  static constexpr int dragSaveIntervalMs = 100;

  TuningTab(ConfigStore& store, SurfaceFrameSource* frames, QWidget* parent);
  ~TuningTab() override;

  // Shows a configuration saved elsewhere (or by this tab).
  void showConfiguration(const Configuration& configuration);

  // For tests and keyboard users alike: the controls by their labels.
  SliderRow* sliderRow(TuningSection section, std::string_view label) const;
  QCheckBox* switchBox(TuningSection section, std::string_view label) const;
  QPushButton* restoreButton(TuningSection section) const;
  QComboBox* dragModePicker() const { return dragMode_; }
  // The finger-rest warning while it is open.
  QMessageBox* fingerRestWarning() const { return warning_; }
  SurfaceView* surfaceView() const { return surface_; }

 Q_SIGNALS:
  // After the controls show a configuration.
  void configurationShown();

 private:
  void buildSection(QVBoxLayout* column, TuningSection section);
  void addSlider(QWidget* box, QVBoxLayout* body, TuningSection section, std::string_view label);
  void addSwitch(QWidget* box, QVBoxLayout* body, TuningSection section, std::string_view label);
  void addDragModePicker(QWidget* box, QVBoxLayout* body);

  void sliderMoved(const TuningSlider& slider, double value, bool dragging);
  void savePendingSlider();
  void chooseDragMode(int index);
  void showFingerRestWarning();
  // Saves a copy of the current configuration with `change` applied to its tuning.
  template <typename Change>
  void saveTuning(Change change);

  ConfigStore& store_;
  SurfaceView* surface_ = nullptr;
  std::vector<SliderRow*> sliders_;
  std::vector<std::pair<const TuningSwitch*, QCheckBox*>> switches_;
  std::map<TuningSection, QPushButton*> restoreButtons_;
  QComboBox* dragMode_ = nullptr;
  QMessageBox* warning_ = nullptr;

  // The newest slider value not yet saved, and the timer spacing saves during a drag.
  struct PendingSlider {
    const TuningSlider* slider;
    double value;
  };
  std::optional<PendingSlider> pending_;
  QTimer dragSaveTimer_;
  ConfigStore::Subscription subscription_;
};

}  // namespace tactora::settings
