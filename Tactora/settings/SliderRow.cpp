#include "Tactora/settings/SliderRow.h"
#include "Tactora/settings/gestures/WheelGuard.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <cmath>

namespace tactora::settings {

SliderRow::SliderRow(const TuningSlider& slider, QWidget* parent) : QWidget(parent), spec_(slider) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  const QString label = QString::fromUtf8(spec_.label.data(), spec_.label.size());
  auto* title = new QLabel(label, this);
  title->setFixedWidth(labelWidth);
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setRange(0, steps);
  slider_->setSingleStep(steps / 100);
  slider_->setPageStep(steps / 10);
  slider_->setAccessibleName(label);
  WheelGuard::install(slider_);
  title->setBuddy(slider_);
  valueLabel_ = new QLabel(this);
  valueLabel_->setFixedWidth(valueWidth);
  valueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Digits of equal width, so the column does not jitter while the slider moves.
  QFont digits = font();
  digits.setStyleHint(QFont::TypeWriter);
  digits.setFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
  valueLabel_->setFont(digits);
  valueLabel_->setAccessibleName(label + QStringLiteral(" value"));
  layout->addWidget(title);
  layout->addWidget(slider_, 1);
  layout->addWidget(valueLabel_);

  connect(slider_, &QSlider::valueChanged, this, [this](int position) {
    value_ = valueAt(position);
    setValueText(value_);
    Q_EMIT valueChanged(value_, slider_->isSliderDown());
  });
  connect(slider_, &QSlider::sliderReleased, this, [this] { Q_EMIT valueChanged(value_, false); });
}

void SliderRow::display(const RecognitionConfig& tuning) {
  if (slider_->isSliderDown()) {
    return;  // the user's hand wins over an echo of an earlier value
  }
  value_ = spec_.read(tuning);
  const QSignalBlocker blocker(slider_);
  slider_->setValue(positionOf(value_));
  setValueText(value_);
}

double SliderRow::valueAt(int position) const {
  if (position <= 0) {
    return spec_.minimum;
  }
  if (position >= steps) {
    return spec_.maximum;
  }
  return spec_.minimum + (spec_.maximum - spec_.minimum) * position / steps;
}

int SliderRow::positionOf(double value) const {
  const double span = spec_.maximum - spec_.minimum;
  const double position = std::round((value - spec_.minimum) / span * steps);
  // A hand-edited file can hold any number (or NaN): the knob then rests at the nearer end.
  if (!(position > 0)) {
    return 0;
  }
  return position >= steps ? steps : static_cast<int>(position);
}

void SliderRow::setValueText(double value) {
  valueLabel_->setText(QString::fromStdString(spec_.formatted(value)));
}

}  // namespace tactora::settings
