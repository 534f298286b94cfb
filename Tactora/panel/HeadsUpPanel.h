#pragma once

#include <QLabel>
#include <QWidget>

namespace tactora {

// A heads-up panel: a borderless, translucent, rounded plate with one centred line of text, for
// the gesture overlay and the version notice. It never takes focus, lets every click through to
// what lies below, stays above normal windows and stays out of the task bar and the window
// switcher.
class HeadsUpPanel : public QWidget {
 public:
  static constexpr int cornerRadius = 10;
  static constexpr int horizontalMargin = 18;
  static constexpr int verticalMargin = 12;
  static constexpr int initialWidth = 240;
  static constexpr int initialHeight = 44;
  static constexpr int textPixelSize = 13;

  explicit HeadsUpPanel(const QString& text = {});

  void setText(const QString& text);
  QString text() const { return label_->text(); }
  // The text plus its margins.
  QSize fittingSize() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* label_;
};

}  // namespace tactora
