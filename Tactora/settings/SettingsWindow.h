#pragma once

#include <QWidget>
#include <functional>

#include "Tactora/settings/SettingsContext.h"

class QTabWidget;

namespace tactora::settings {

class GeneralTab;
class TuningTab;

// The settings window: "Tactora Settings", 640 × 560, titled and closable only (not resizable,
// no minimise or maximise button), with the General, Gestures and Tuning tabs in that order and
// General selected.
class SettingsWindow final : public QWidget {
 public:
  static constexpr int contentWidth = 640;
  static constexpr int contentHeight = 560;
  static constexpr const char* title = "Tactora Settings";

  explicit SettingsWindow(const SettingsContext& context, QWidget* parent = nullptr);

  // Runs when the user closes the window.
  std::function<void()> onClose;

  QTabWidget* tabs() const { return tabs_; }
  GeneralTab* generalTab() const { return general_; }
  QWidget* gesturesTab() const { return gestures_; }
  TuningTab* tuningTab() const { return tuning_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Launch at login and the licences, carried out with what the application handed in.
  void connectGeneralTab(const SettingsContext& context);

  QTabWidget* tabs_;
  GeneralTab* general_;
  QWidget* gestures_;
  TuningTab* tuning_;
};

}  // namespace tactora::settings
