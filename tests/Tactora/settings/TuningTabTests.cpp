// The Tuning tab against a real store: what each control writes to config.json, the resets, the
// drag-mode confirmation, the saves spaced out during a drag, and live updates.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <set>

#include "SettingsFixture.h"
#include "Tactora/settings/SliderRow.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/TuningTab.h"

namespace tactora::settings {
namespace {

using RC = RecognitionConfig;

// Every tuning value moved off its default, so a reset shows exactly which fields it touched.
RecognitionConfig everythingChanged() {
  RecognitionConfig t;
  t.tapMaxDuration = 0.5, t.minTapDuration = 0.07, t.tapMaxTravelMM = 4, t.tapQuickDuration = 0.2;
  t.tapMaxTravelMMSlow = 6, t.tapMaxSlideSpeedMMPerS = 9, t.tapCoalesceWindow = 0.2;
  t.tapDebounce = 0.2, t.minTouchSize = 2, t.dragActivationPixels = 20;
  t.dragActivation = DragActivation::disabled, t.doubleTapWindow = 0.5, t.swipeMinTravelMMX = 30;
  t.swipeMinTravelMMY = 30, t.swipeMinVelocityMMPerS = 200, t.pinchMinDeltaMM = 30;
  t.oneFingerSwipeEnabled = false, t.oneFingerSwipeMinTravelMM = 30, t.rightZoneTapEnabled = false;
  t.rightZoneMinX = 0.8f, t.rightZoneMinY = 0.1f, t.appSwitcherHoldSeconds = 1.5;
  t.showGestureHUD = false, t.dragScrollEnabled = false, t.dragScrollSensitivity = 100;
  t.dragScrollInverted = true, t.dragAutoscrollNudgeEnabled = false;
  return t;
}

std::set<std::string> changedKeys(const RecognitionConfig& from, const RecognitionConfig& to) {
  std::set<std::string> keys;
  const nlohmann::json a = toJson(from);
  const nlohmann::json b = toJson(to);
  for (const auto& [key, value] : a.items()) {
    if (b.at(key) != value) {
      keys.insert(key);
    }
  }
  return keys;
}

TEST(TuningModel, EachRestoreDefaultsResetsExactlyItsOwnFields) {
  const std::map<TuningSection, std::set<std::string>> owned{
      {TuningSection::tap,
       {"tapMaxDuration", "minTapDuration", "tapMaxTravelMM", "tapQuickDuration",
        "tapMaxTravelMMSlow", "tapMaxSlideSpeedMMPerS", "tapCoalesceWindow", "tapDebounce",
        "minTouchSize"}},
      {TuningSection::drag, {"dragActivationPixels", "dragActivation", "doubleTapWindow"}},
      {TuningSection::dragScroll,
       {"dragScrollEnabled", "dragScrollSensitivity", "dragScrollInverted",
        "dragAutoscrollNudgeEnabled"}},
      {TuningSection::swipe, {"swipeMinTravelMMX", "swipeMinTravelMMY", "swipeMinVelocityMMPerS"}},
      {TuningSection::oneFingerSwipe, {"oneFingerSwipeEnabled", "oneFingerSwipeMinTravelMM"}},
      {TuningSection::rightSideTap, {"rightZoneTapEnabled", "rightZoneMinX", "rightZoneMinY"}},
      {TuningSection::pinch, {"pinchMinDeltaMM"}},
      {TuningSection::appSwitcher, {"appSwitcherHoldSeconds"}},
      {TuningSection::overlay, {"showGestureHUD"}},
  };
  const RecognitionConfig changed = everythingChanged();
  for (const auto& [section, keys] : owned) {
    const RecognitionConfig restored = TuningModel::restoringDefaults(changed, section);
    EXPECT_EQ(changedKeys(changed, restored), keys) << TuningModel::title(section);
    EXPECT_TRUE(changedKeys(RC::defaults(), restored).count(*keys.begin()) == 0);
  }
}

// "0.60 s" and the unitless "0.62" are pinned through the tab's labels below.
TEST(TuningModel, ValueColumnHasTheUnitAfterASpaceOrNothing) {
  EXPECT_EQ(TuningModel::slider(TuningSection::tap, "Min duration")->formatted(0.03), "0.030 s");
  EXPECT_EQ(TuningModel::slider(TuningSection::dragScroll, "Sensitivity")->formatted(40),
            "40 pt/mm");
}

class TuningTabTest : public SettingsFixture {
 protected:
  TuningTab tab_{store_, nullptr, nullptr};

  // A drag of the knob through `positions`, as the slider reports one.
  static void drag(QSlider* slider, std::initializer_list<int> positions) {
    slider->setSliderDown(true);
    for (int position : positions) {
      slider->setSliderPosition(position);
    }
    slider->setSliderDown(false);
  }
};

TEST_F(TuningTabTest, DraggingMaxDurationToTheEndStoresTheRangesEnd) {
  SliderRow* row = tab_.sliderRow(TuningSection::tap, "Max duration");
  drag(row->slider(), {SliderRow::steps / 2, SliderRow::steps});
  EXPECT_EQ(savedTuning().at("tapMaxDuration").get<double>(), 0.6);
  EXPECT_EQ(row->valueLabel()->text(), QStringLiteral("0.60 s"));
  EXPECT_EQ(tab_.sliderRow(TuningSection::rightSideTap, "Zone starts at")->valueLabel()->text(),
            QStringLiteral("0.62"));
}

TEST_F(TuningTabTest, KeyboardStepsSaveEachValueAndFloatFieldsInSinglePrecision) {
  SliderRow* row = tab_.sliderRow(TuningSection::rightSideTap, "Zone front edge");
  row->slider()->setFocus();
  QTest::keyClick(row->slider(), Qt::Key_Right);
  const double expected = static_cast<float>(0.8 * row->slider()->value() / SliderRow::steps);
  EXPECT_EQ(saves_, 1);
  EXPECT_EQ(static_cast<float>(savedTuning().at("rightZoneMinY").get<double>()),
            static_cast<float>(expected));
  EXPECT_EQ(store_.current()->tuning.rightZoneMinY, static_cast<float>(expected));
  // The knob's own value is not rounded to the two digits shown.
  EXPECT_NE(savedTuning().at("rightZoneMinY").get<double>(), std::round(expected * 100) / 100);
}

TEST_F(TuningTabTest, ADragSavesSparinglyAndAlwaysSavesWhereItEnded) {
  SliderRow* row = tab_.sliderRow(TuningSection::swipe, "Min velocity");
  QSlider* slider = row->slider();
  slider->setSliderDown(true);
  for (int position = 100; position <= 5000; position += 100) {
    slider->setSliderPosition(position);
  }
  EXPECT_EQ(saves_, 1) << "only the first step of a drag saves at once";
  QTest::qWait(TuningTab::dragSaveIntervalMs + 50);
  EXPECT_EQ(saves_, 2) << "the newest value is saved once the interval has passed";
  slider->setSliderPosition(7000);
  slider->setSliderDown(false);
  EXPECT_EQ(savedTuning().at("swipeMinVelocityMMPerS").get<double>(),
            static_cast<float>(row->valueAt(7000)));
  const int savesAtRelease = saves_;
  QTest::qWait(TuningTab::dragSaveIntervalMs + 50);
  EXPECT_EQ(saves_, savesAtRelease) << "nothing is left to save after the release";
}

TEST_F(TuningTabTest, RestoreDefaultsInSwipeLeavesOneFingerSwipeAlone) {
  Configuration changed = *store_.current();
  changed.tuning = everythingChanged();
  store_.save(changed);
  tab_.showConfiguration(changed);
  EXPECT_EQ(tab_.sliderRow(TuningSection::swipe, "Min travel (horizontal)")->valueLabel()->text(),
            QStringLiteral("30 mm"));
  QTest::mouseClick(tab_.restoreButton(TuningSection::swipe), Qt::LeftButton);
  const nlohmann::json tuning = savedTuning();
  EXPECT_EQ(tuning.at("swipeMinTravelMMX").get<double>(), 12.0);
  EXPECT_EQ(tuning.at("oneFingerSwipeMinTravelMM").get<double>(), 30.0);
  EXPECT_EQ(tab_.sliderRow(TuningSection::swipe, "Min travel (horizontal)")->valueLabel()->text(),
            QStringLiteral("12 mm"));
  EXPECT_EQ(tab_.restoreButton(TuningSection::swipe)->toolTip(),
            QStringLiteral("Put the Swipe settings back to how Tactora came"));
}

TEST_F(TuningTabTest, SwitchesWriteTheirBooleansAndStayEnabledWithTheirSliders) {
  QCheckBox* rightTap = tab_.switchBox(TuningSection::rightSideTap, "Enable right-side tap");
  QTest::mouseClick(rightTap, Qt::LeftButton);
  EXPECT_FALSE(savedTuning().at("rightZoneTapEnabled").get<bool>());
  EXPECT_TRUE(tab_.sliderRow(TuningSection::rightSideTap, "Zone starts at")->isEnabled());
  QTest::mouseClick(tab_.switchBox(TuningSection::dragScroll, "Invert direction"), Qt::LeftButton);
  EXPECT_TRUE(savedTuning().at("dragScrollInverted").get<bool>());
  EXPECT_FALSE(savedTuning().at("rightZoneTapEnabled").get<bool>());
}

TEST_F(TuningTabTest, FingerRestNeedsConfirmationAndCancelWritesNothing) {
  QComboBox* picker = tab_.dragModePicker();
  Q_EMIT picker->activated(1);  // "Any finger resting on the surface"
  ASSERT_NE(tab_.fingerRestWarning(), nullptr);
  EXPECT_EQ(tab_.fingerRestWarning()->text(),
            QString::fromUtf8("\u201cAny Finger Resting\u201d Drags Every Time You Rest a Finger"));
  EXPECT_EQ(picker->currentText(), QStringLiteral("Tap, then tap and hold"));
  QAbstractButton* cancel = nullptr;
  QAbstractButton* useIt = nullptr;
  for (QAbstractButton* button : tab_.fingerRestWarning()->buttons()) {
    (button->text() == QStringLiteral("Cancel") ? cancel : useIt) = button;
  }
  ASSERT_NE(cancel, nullptr);
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_EQ(tab_.fingerRestWarning(), nullptr);
  EXPECT_FALSE(fileExists());
  EXPECT_EQ(saves_, 0);
  EXPECT_EQ(picker->currentText(), QStringLiteral("Tap, then tap and hold"));

  Q_EMIT picker->activated(1);
  for (QAbstractButton* button : tab_.fingerRestWarning()->buttons()) {
    if (button->text() == QStringLiteral("Use It Anyway")) {
      QTest::mouseClick(button, Qt::LeftButton);
    }
  }
  EXPECT_EQ(savedTuning().at("dragActivation"), "fingerRest");
  EXPECT_EQ(picker->currentText(), QStringLiteral("Any finger resting on the surface"));

  Q_EMIT picker->activated(2);  // "Off" writes at once
  EXPECT_EQ(savedTuning().at("dragActivation"), "disabled");
}

TEST_F(TuningTabTest, ShowsValuesSavedElsewhereWithoutSavingThemAgain) {
  Configuration changed = *store_.current();
  changed.tuning.tapMaxTravelMM = 12.5f;
  changed.tuning.rightZoneMinX = 0.5f;
  changed.tuning.oneFingerSwipeEnabled = false;
  store_.save(changed);
  tab_.showConfiguration(changed);
  EXPECT_EQ(tab_.sliderRow(TuningSection::tap, "Max travel (quick)")->valueLabel()->text(),
            QStringLiteral("12.5 mm"));
  EXPECT_FALSE(tab_.switchBox(TuningSection::oneFingerSwipe, "Enable one-finger horizontal swipe")
                   ->isChecked());
  EXPECT_FLOAT_EQ(tab_.surfaceView()->zoneMinX(), 0.5f);
  EXPECT_EQ(saves_, 1);
}

TEST_F(TuningTabTest, TheZoneFollowsTheSliderBeforeTheSave) {
  SurfaceView* view = tab_.surfaceView();
  QSlider* slider = tab_.sliderRow(TuningSection::rightSideTap, "Zone front edge")->slider();
  slider->setSliderDown(true);
  slider->setSliderPosition(SliderRow::steps / 2);
  slider->setSliderPosition(SliderRow::steps);  // within the save interval: not saved yet
  EXPECT_FLOAT_EQ(view->zoneMinY(), 0.8f);
  EXPECT_NEAR(view->zoneRect().height(), view->surfaceRect().height() * 0.2, 0.01);
  slider->setSliderDown(false);
  EXPECT_FLOAT_EQ(store_.current()->tuning.rightZoneMinY, 0.8f);
}

}  // namespace
}  // namespace tactora::settings
