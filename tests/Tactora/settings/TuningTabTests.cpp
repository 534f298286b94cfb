// The Tuning tab against a real store: what each control writes to config.json, the resets, the
// drag-mode confirmation, the saves spaced out during a drag (and the last one kept when the
// application quits mid-drag), and one redraw per saved change; and the frame thread's handoff to
// the tab's surface view: only the newest value is kept, a frame never allocates, and what the
// view reads is one whole frame.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <atomic>
#include <map>
#include <thread>
#include <vector>
#include "SettingsFixture.h"
#include "Tactora/settings/SettingsWindow.h"
#include "Tactora/settings/SliderRow.h"
#include "Tactora/settings/SurfaceFrameHandoff.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/TuningTab.h"
#include "support/AllocationCounting.h"

namespace tactora::settings {
namespace {

// Every tuning value moved off its default, so a reset shows exactly which fields it touched.
RecognitionConfig everythingChanged() {
  nlohmann::json changed = toJson(RecognitionConfig::defaults());
  for (nlohmann::json& value : changed) {
    if (value.is_boolean()) {
      value = !value.get<bool>();
    } else if (value.is_number_integer()) {
      value = value.get<int>() + 1;
    } else if (value.is_number()) {
      value = value.get<double>() * 1.5 + 0.25;
    } else {
      value = value == "disabled" ? "fingerRest" : "disabled";
    }
  }
  return *decodeRecognitionConfig(changed);
}

// The sections' resets divide the tuning between them: every field is put back by exactly one
// section (the overlay's switch by the hidden one), to its default.
TEST(TuningModel, EveryFieldIsRestoredByExactlyOneSection) {
  const RecognitionConfig changed = everythingChanged();
  const nlohmann::json before = toJson(changed);
  std::vector<TuningSection> sections(TuningModel::shownSections().begin(),
                                      TuningModel::shownSections().end());
  sections.push_back(TuningSection::overlay);
  std::map<std::string, int> restoredBy;
  for (TuningSection section : sections) {
    const nlohmann::json after = toJson(TuningModel::restoringDefaults(changed, section));
    for (const auto& [key, value] : before.items()) {
      if (after.at(key) != value) {
        ++restoredBy[key];
        EXPECT_EQ(after.at(key), toJson(RecognitionConfig::defaults()).at(key)) << key;
      }
    }
  }
  EXPECT_EQ(restoredBy.size(), before.size());
  for (const auto& [key, count] : restoredBy) {
    EXPECT_EQ(count, 1) << key;
  }
}

class TuningTabTest : public SettingsFixture {
 protected:
  std::unique_ptr<TuningTab> tab_ = std::make_unique<TuningTab>(*store_, nullptr, nullptr);
  QSignalSpy shown_{tab_.get(), &TuningTab::configurationShown};

  SliderRow* row(TuningSection section, std::string_view label) const {
    return tab_->sliderRow(section, label);
  }
  QString shownValue(TuningSection section, std::string_view label) const {
    return row(section, label)->valueLabel()->text();
  }
  void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  void answerWarning(const QString& answer) {
    for (QAbstractButton* button : tab_->fingerRestWarning()->buttons()) {
      if (button->text() == answer) {
        click(button);
      }
    }
  }
};

// A drag to the end stores the range's end; each change the tab saves redraws it once.
TEST_F(TuningTabTest, SliderMovesStoreTheKnobsValueAndEachChangeRedrawsOnce) {
  QSlider* slider = row(TuningSection::tap, "Max duration")->slider();
  slider->setSliderDown(true);
  slider->setSliderPosition(SliderRow::steps);
  slider->setSliderDown(false);
  EXPECT_EQ(savedTuning().at("tapMaxDuration").get<double>(), 0.6);
  EXPECT_EQ(shownValue(TuningSection::tap, "Max duration"), "0.60 s");
  EXPECT_EQ(shown_.count(), saves_);

  click(tab_->switchBox(TuningSection::rightSideTap, "Enable right-side tap"));
  EXPECT_FALSE(savedTuning().at("rightZoneTapEnabled").get<bool>());
  EXPECT_TRUE(row(TuningSection::rightSideTap, "Zone starts at")->isEnabled());
  EXPECT_EQ(shown_.count(), saves_);
}

// While the knob is held, the first step saves at once and later ones at most once per interval;
// the zone drawn follows the knob between saves; the release saves where it ended; and a knob
// still held when the application quits has its last value on the disk.
TEST_F(TuningTabTest, ADragSavesSparinglyAndItsLastValueIsNeverLost) {
  SurfaceView* view = tab_->surfaceView();
  SliderRow* zone = row(TuningSection::rightSideTap, "Zone front edge");
  zone->slider()->setSliderDown(true);
  for (int position = 100; position <= SliderRow::steps; position += 100) {
    zone->slider()->setSliderPosition(position);
  }
  EXPECT_EQ(saves_, 1) << "only the first step of a drag saves at once";
  EXPECT_FLOAT_EQ(view->zoneMinY(), 0.8f);
  EXPECT_NEAR(view->zoneRect().height(), view->surfaceRect().height() * 0.2, 0.01);
  EXPECT_TRUE(QTest::qWaitFor([this] { return saves_ == 2; }, 5000))
      << "the newest value is saved once the interval has passed";
  zone->slider()->setSliderDown(false);
  EXPECT_FLOAT_EQ(store_->current()->tuning.rightZoneMinY, 0.8f);

  SliderRow* velocity = row(TuningSection::swipe, "Min velocity");
  velocity->slider()->setSliderDown(true);
  velocity->slider()->setSliderPosition(1000);
  velocity->slider()->setSliderPosition(7000);  // within the interval: not saved yet
  const float held = static_cast<float>(velocity->valueAt(7000));
  EXPECT_NE(store_->current()->tuning.swipeMinVelocityMMPerS, held);
  // Quitting: the window goes, then the application's store.
  tab_.reset();
  const std::filesystem::path file = store_->fileURL();
  subscription_.reset();
  store_.reset();
  std::ifstream written(file);
  const nlohmann::json tuning = nlohmann::json::parse(written).at("tuning");
  EXPECT_EQ(tuning.at("swipeMinVelocityMMPerS").get<float>(), held);
  EXPECT_FLOAT_EQ(tuning.at("rightZoneMinY").get<float>(), 0.8f);
}

TEST_F(TuningTabTest, FingerRestNeedsConfirmationAndRestoringDefaultsSavesThem) {
  QComboBox* picker = tab_->dragModePicker();
  Q_EMIT picker->activated(1);  // "Any finger resting on the surface"
  ASSERT_NE(tab_->fingerRestWarning(), nullptr);
  EXPECT_EQ(picker->currentText(), "Tap, then tap and hold");
  answerWarning("Cancel");
  EXPECT_EQ(tab_->fingerRestWarning(), nullptr);
  EXPECT_FALSE(fileExists());
  EXPECT_EQ(picker->currentText(), "Tap, then tap and hold");

  Q_EMIT picker->activated(1);
  answerWarning("Use It Anyway");
  EXPECT_EQ(savedTuning().at("dragActivation"), "fingerRest");
  EXPECT_EQ(picker->currentText(), "Any finger resting on the surface");
  Q_EMIT picker->activated(2);  // "Off" writes at once
  EXPECT_EQ(savedTuning().at("dragActivation"), "disabled");

  // A section's "Restore Defaults" saves and shows its defaults, and touches nothing else.
  Configuration changed = *store_->current();
  changed.tuning = everythingChanged();
  store_->save(changed);
  click(tab_->restoreButton(TuningSection::swipe));
  EXPECT_EQ(savedTuning(),
            toJson(TuningModel::restoringDefaults(everythingChanged(), TuningSection::swipe)));
  EXPECT_EQ(shownValue(TuningSection::swipe, "Min travel (horizontal)"), "12 mm");
}

// `count` contacts side by side at `x`, in a frame of the mouse's surface.
BorrowedFrame frameOf(std::vector<Touch>& touches, std::size_t count, float x) {
  touches.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    touches[i].id = static_cast<std::int32_t>(i);
    touches[i].position = {x, 0.5f};
  }
  return {.surfaceSizeMM = {51.5f, 90.5f}, .touches = touches, .cursorPosition = {}};
}

// Only the newest frame is kept, every one counted; the last gesture is named, not a drag's steps.
// A frame allocates nothing once the handoff is in use.
TEST(SurfaceFrameHandoff, KeepsOnlyTheNewestFrameAndTheLastGestureWithoutAllocating) {
  SurfaceFrameHandoff handoff;
  SurfaceSnapshot snapshot;
  std::vector<Touch> one, two, many;
  EXPECT_FALSE(handoff.takeLatest(snapshot));
  handoff.publish(frameOf(one, 1, 0.2f));
  handoff.gestureReceived(GestureEvent::tap(2));
  handoff.gestureReceived(GestureEvent::dragMoved());
  handoff.gestureReceived(GestureEvent::dragScrollMoved(0, 3));
  const BorrowedFrame frame = frameOf(two, 2, 0.7f);
  handoff.publish(frame);
  ASSERT_TRUE(handoff.takeLatest(snapshot));
  EXPECT_EQ(std::tuple(snapshot.lastGesture, snapshot.contactCount, snapshot.frameCount),
            std::tuple(GestureEvent::tap(2), 2u, 2u));
  EXPECT_FLOAT_EQ(snapshot.contacts[1].x, 0.7f);
  EXPECT_FALSE(handoff.takeLatest(snapshot)) << "nothing new since the last look";
  handoff.publish(frameOf(many, 40, 0.1f));
  ASSERT_TRUE(handoff.takeLatest(snapshot));
  EXPECT_EQ(snapshot.contactCount, SurfaceSnapshot::maxContacts);

  testing::allocationCount = 0;
  testing::countingAllocations = true;
  for (int i = 0; i < 100; ++i) {
    handoff.publish(frame);
    handoff.gestureReceived(GestureEvent::swipe(3, Direction::left));
  }
  testing::countingAllocations = false;
  EXPECT_EQ(testing::allocationCount, 0u);
}

TEST(SurfaceFrameHandoff, TheViewReadsWholeFramesWhileTheFrameThreadWrites) {
  SurfaceFrameHandoff handoff;
  std::atomic<bool> stop = false;
  std::thread frames([&] {
    std::vector<Touch> a, b;
    const BorrowedFrame alternate[] = {frameOf(a, 3, 0.25f), frameOf(b, 3, 0.75f)};
    for (int i = 0; !stop; ++i) {
      handoff.publish(alternate[i % 2]);
    }
  });
  SurfaceView view(&handoff, nullptr);
  while (view.snapshot().frameCount < 2000) {  // the frame thread never stops publishing
    view.poll();
    const SurfaceSnapshot& seen = view.snapshot();
    ASSERT_TRUE(seen.contactCount != 3 || seen.contacts[0].x == seen.contacts[2].x) << "torn";
  }
  stop = true;
  frames.join();
}

}  // namespace
}  // namespace tactora::settings
