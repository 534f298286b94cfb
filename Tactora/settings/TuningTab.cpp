#include "Tactora/settings/TuningTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "Tactora/settings/FormSection.h"
#include "Tactora/settings/SliderRow.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/gestures/WheelGuard.h"

namespace tactora::settings {

namespace {

QString text(std::string_view view) {
  return QString::fromUtf8(view.data(), view.size());
}

}  // namespace

TuningTab::TuningTab(ConfigStore& store, SurfaceFrameSource* frames, QWidget* parent)
    : QWidget(parent), store_(store) {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  outer->addWidget(scroll);

  auto* content = new QWidget(scroll);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(16, 12, 16, 16);
  column->setSpacing(14);

  surface_ = new SurfaceView(frames, content);
  auto* surfaceSection = new FormSection(QStringLiteral("Live Surface"), content);
  surfaceSection->body()->addWidget(surface_);
  column->addWidget(surfaceSection);

  for (TuningSection section : TuningModel::shownSections()) {
    buildSection(column, section);
  }
  column->addStretch(1);
  scroll->setWidget(content);

  dragSaveTimer_.setSingleShot(true);
  dragSaveTimer_.setInterval(dragSaveIntervalMs);
  connect(&dragSaveTimer_, &QTimer::timeout, this, [this] { savePendingSlider(); });

  subscription_ = store_.addObserver(
      [this](const Configuration& configuration) { showConfiguration(configuration); });
  showConfiguration(*store_.current());
}

TuningTab::~TuningTab() {
  // A knob still held when the window closes or the application quits: its value is saved too.
  subscription_.reset();
  savePendingSlider();
}

void TuningTab::buildSection(QVBoxLayout* column, TuningSection section) {
  auto* restore = new QPushButton(QStringLiteral("Restore Defaults"));
  const QString help = QString::fromStdString(TuningModel::restoreHelp(section));
  restore->setToolTip(help);
  restore->setAccessibleName(QStringLiteral("Restore Defaults: ") +
                             text(TuningModel::title(section)));
  restore->setAccessibleDescription(help);
  restoreButtons_[section] = restore;
  connect(restore, &QPushButton::clicked, this, [this, section] {
    pending_.reset();  // a held slider's unsaved value must not overwrite the reset
    saveTuning([section](RecognitionConfig& tuning) {
      tuning = TuningModel::restoringDefaults(tuning, section);
    });
  });

  auto* form = new FormSection(text(TuningModel::title(section)), column->parentWidget(), restore);
  QWidget* box = form;
  QVBoxLayout* body = form->body();
  switch (section) {
    case TuningSection::drag:
      addDragModePicker(box, body);
      break;
    case TuningSection::dragScroll:
      addSwitch(box, body, section, "Scroll with a second finger while dragging");
      addSlider(box, body, section, "Sensitivity");
      addSwitch(box, body, section, "Invert direction");
      addSwitch(box, body, section, "Nudge cursor for native autoscroll (experimental)");
      break;
    case TuningSection::rightSideTap:
      addSwitch(box, body, section, "Enable right-side tap");
      break;
    case TuningSection::oneFingerSwipe:
      addSwitch(box, body, section, "Enable one-finger horizontal swipe");
      break;
    case TuningSection::tap:
    case TuningSection::swipe:
    case TuningSection::pinch:
    case TuningSection::appSwitcher:
    case TuningSection::overlay:
      break;
  }
  if (section != TuningSection::dragScroll) {
    for (const TuningSlider& slider : TuningModel::sliders()) {
      if (slider.section == section) {
        addSlider(box, body, section, slider.label);
      }
    }
  }
  if (const std::string_view explanation = TuningModel::explanation(section);
      !explanation.empty()) {
    form->addCaption(text(explanation));
  }
  column->addWidget(form);
}

void TuningTab::addSlider(QWidget* box, QVBoxLayout* body, TuningSection section,
                          std::string_view label) {
  const TuningSlider* slider = TuningModel::slider(section, label);
  auto* row = new SliderRow(*slider, box);
  connect(row, &SliderRow::valueChanged, this,
          [this, slider](double value, bool dragging) { sliderMoved(*slider, value, dragging); });
  body->addWidget(row);
  sliders_.push_back(row);
}

void TuningTab::addSwitch(QWidget* box, QVBoxLayout* body, TuningSection section,
                          std::string_view label) {
  const TuningSwitch* entry = TuningModel::switchFor(section, label);
  auto* check = new QCheckBox(text(label), box);
  body->addWidget(check);
  switches_.emplace_back(entry, check);
  connect(check, &QCheckBox::toggled, this, [this, entry](bool on) {
    saveTuning([entry, on](RecognitionConfig& tuning) { tuning.*(entry->field) = on; });
  });
}

void TuningTab::addDragModePicker(QWidget* box, QVBoxLayout* body) {
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(text(TuningModel::dragModeLabel), box);
  label->setFixedWidth(SliderRow::labelWidth);
  dragMode_ = new QComboBox(box);
  for (const TuningModel::DragModeChoice& choice : TuningModel::dragModes()) {
    dragMode_->addItem(text(choice.label));
  }
  dragMode_->setAccessibleName(text(TuningModel::dragModeLabel));
  WheelGuard::install(dragMode_);
  label->setBuddy(dragMode_);
  row->addWidget(label);
  row->addWidget(dragMode_, 1);
  body->addLayout(row);
  connect(dragMode_, &QComboBox::activated, this, [this](int index) { chooseDragMode(index); });
}

void TuningTab::showConfiguration(const Configuration& configuration) {
  const RecognitionConfig& tuning = configuration.tuning;
  for (SliderRow* row : sliders_) {
    row->display(tuning);
  }
  for (auto& [entry, check] : switches_) {
    const QSignalBlocker blocker(check);
    check->setChecked(tuning.*(entry->field));
  }
  const auto modes = TuningModel::dragModes();
  for (std::size_t i = 0; i < modes.size(); ++i) {
    if (modes[i].mode == tuning.dragActivation) {
      const QSignalBlocker blocker(dragMode_);
      dragMode_->setCurrentIndex(static_cast<int>(i));
    }
  }
  surface_->setZone(tuning.rightZoneMinX, tuning.rightZoneMinY);
  Q_EMIT configurationShown();
}

void TuningTab::sliderMoved(const TuningSlider& slider, double value, bool dragging) {
  // The zone follows the knob at once, also between the spaced-out saves.
  if (slider.field == TuningField(&RecognitionConfig::rightZoneMinX)) {
    surface_->setZone(static_cast<float>(value), surface_->zoneMinY());
  } else if (slider.field == TuningField(&RecognitionConfig::rightZoneMinY)) {
    surface_->setZone(surface_->zoneMinX(), static_cast<float>(value));
  }
  if (pending_ && pending_->slider != &slider) {
    savePendingSlider();
  }
  pending_ = PendingSlider{&slider, value};
  if (!dragging) {
    dragSaveTimer_.stop();
    savePendingSlider();
    return;
  }
  // The first step of a drag saves at once; later steps at most once per interval.
  if (!dragSaveTimer_.isActive()) {
    savePendingSlider();
    dragSaveTimer_.start();
  }
}

void TuningTab::savePendingSlider() {
  if (!pending_) {
    return;
  }
  const PendingSlider pending = *pending_;
  pending_.reset();
  saveTuning(
      [&pending](RecognitionConfig& tuning) { pending.slider->write(tuning, pending.value); });
}

void TuningTab::chooseDragMode(int index) {
  const auto modes = TuningModel::dragModes();
  if (index < 0 || static_cast<std::size_t>(index) >= modes.size()) {
    return;
  }
  const DragActivation mode = modes[static_cast<std::size_t>(index)].mode;
  if (mode == DragActivation::fingerRest &&
      store_.current()->tuning.dragActivation != DragActivation::fingerRest) {
    // Nothing is written until the user confirms; until then the picker shows the stored mode.
    showConfiguration(*store_.current());
    showFingerRestWarning();
    return;
  }
  saveTuning([mode](RecognitionConfig& tuning) { tuning.dragActivation = mode; });
}

void TuningTab::showFingerRestWarning() {
  if (warning_ != nullptr) {
    return;
  }
  warning_ =
      new QMessageBox(QMessageBox::Warning, text(TuningModel::fingerRestWarningTitle),
                      text(TuningModel::fingerRestWarningMessage), QMessageBox::NoButton, this);
  // The title is the alert's headline; window managers show it in the title bar as well.
  warning_->setText(text(TuningModel::fingerRestWarningTitle));
  warning_->setInformativeText(text(TuningModel::fingerRestWarningMessage));
  QPushButton* useIt =
      warning_->addButton(QStringLiteral("Use It Anyway"), QMessageBox::AcceptRole);
  QPushButton* cancel = warning_->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  warning_->setDefaultButton(cancel);
  warning_->setEscapeButton(cancel);
  connect(warning_, &QMessageBox::buttonClicked, this, [this, useIt](QAbstractButton* button) {
    if (button == useIt) {
      saveTuning(
          [](RecognitionConfig& tuning) { tuning.dragActivation = DragActivation::fingerRest; });
    }
  });
  // Answered either way: a later choice of the mode asks again.
  connect(warning_, &QDialog::finished, this, [this] {
    warning_->deleteLater();
    warning_ = nullptr;
  });
  warning_->open();
}

template <typename Change>
void TuningTab::saveTuning(Change change) {
  Configuration configuration = *store_.current();
  change(configuration.tuning);
  store_.save(configuration);  // the tab shows it from its observer
}

SliderRow* TuningTab::sliderRow(TuningSection section, std::string_view label) const {
  for (SliderRow* row : sliders_) {
    if (row->spec().section == section && row->spec().label == label) {
      return row;
    }
  }
  return nullptr;
}

QCheckBox* TuningTab::switchBox(TuningSection section, std::string_view label) const {
  for (const auto& [entry, check] : switches_) {
    if (entry->section == section && entry->label == label) {
      return check;
    }
  }
  return nullptr;
}

QPushButton* TuningTab::restoreButton(TuningSection section) const {
  const auto found = restoreButtons_.find(section);
  return found == restoreButtons_.end() ? nullptr : found->second;
}

}  // namespace tactora::settings
