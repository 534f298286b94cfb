#pragma once

#include <QWidget>

#include "Tactora/settings/TuningModel.h"

class QLabel;
class QSlider;

namespace tactora::settings {

// One tuning slider: the label in a 160-pixel column, a slider over the field's range, and the
// value in a 70-pixel column. The slider is continuous to the eye; its integer positions are fine
// enough that every displayed digit can be reached.
class SliderRow final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int labelWidth = 160;
  static constexpr int valueWidth = 70;
  static constexpr int steps = 10000;

  SliderRow(const TuningSlider& slider, QWidget* parent);

  // Shows a stored value without reporting it as a change.
  void display(const RecognitionConfig& tuning);
  // The value the user last set, or the last shown.
  double value() const { return value_; }

  QSlider* slider() const { return slider_; }
  QLabel* valueLabel() const { return valueLabel_; }
  const TuningSlider& spec() const { return spec_; }

  // Slider position to value: the ends give the range's ends exactly.
  double valueAt(int position) const;
  int positionOf(double value) const;

 Q_SIGNALS:
  // Every change the user makes; the last value of a drag comes once more with `dragging` false,
  // so it is always saved.
  void valueChanged(double value, bool dragging);

 private:
  void setValueText(double value);

  const TuningSlider& spec_;
  QSlider* slider_;
  QLabel* valueLabel_;
  double value_ = 0;
};

}  // namespace tactora::settings
