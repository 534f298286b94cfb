#pragma once

#include <QWidget>

namespace tactora::shell {

// The settings window's stand-in until the real one is built: a titled window with one line.
class PlaceholderSettingsWindow final : public QWidget {
 public:
  static constexpr const char* title = "Tactora Settings";

  PlaceholderSettingsWindow();
  // Shows the window, or raises it when it is already shown.
  void bringForward();
};

}  // namespace tactora::shell
