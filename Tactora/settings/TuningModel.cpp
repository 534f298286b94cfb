#include "Tactora/settings/TuningModel.h"

#include <cstdio>

namespace tactora::settings {

namespace {

using RC = RecognitionConfig;

constexpr std::array shownOrder{
    TuningSection::tap,
    TuningSection::drag,
    TuningSection::dragScroll,
    TuningSection::swipe,
    TuningSection::appSwitcher,
    TuningSection::rightSideTap,
    TuningSection::oneFingerSwipe,
    TuningSection::pinch,
};

// Grouped by section in the order of `shownOrder`, so the tab can walk it once.
const auto sliderTable = std::to_array<TuningSlider>({
    {TuningSection::tap, "Max duration", &RC::tapMaxDuration, 0.1, 0.6, "%.2f", "s"},
    {TuningSection::tap, "Max travel (quick)", &RC::tapMaxTravelMM, 1, 20, "%.1f", "mm"},
    {TuningSection::tap, "Quick/slow cutoff", &RC::tapQuickDuration, 0.03, 0.3, "%.2f", "s"},
    {TuningSection::tap, "Max travel (slow)", &RC::tapMaxTravelMMSlow, 0.5, 10, "%.1f", "mm"},
    {TuningSection::tap, "Min duration", &RC::minTapDuration, 0, 0.1, "%.3f", "s"},
    {TuningSection::tap, "Max slide speed", &RC::tapMaxSlideSpeedMMPerS, 0, 200, "%.0f", "mm/s"},
    {TuningSection::drag, "Activation distance", &RC::dragActivationPixels, 2, 30, "%.0f", "px"},
    {TuningSection::drag, "Second-tap window", &RC::doubleTapWindow, 0.15, 0.6, "%.2f", "s"},
    {TuningSection::dragScroll, "Sensitivity", &RC::dragScrollSensitivity, 5, 120, "%.0f", "pt/mm"},
    {TuningSection::swipe, "Min travel (horizontal)", &RC::swipeMinTravelMMX, 4, 40, "%.0f", "mm"},
    {TuningSection::swipe, "Min travel (vertical)", &RC::swipeMinTravelMMY, 4, 40, "%.0f", "mm"},
    {TuningSection::swipe, "Min velocity", &RC::swipeMinVelocityMMPerS, 10, 300, "%.0f", "mm/s"},
    {TuningSection::appSwitcher, "Commit delay", &RC::appSwitcherHoldSeconds, 0.2, 2, "%.2f", "s"},
    {TuningSection::rightSideTap, "Zone starts at", &RC::rightZoneMinX, 0.4, 0.9, "%.2f", ""},
    {TuningSection::rightSideTap, "Zone front edge", &RC::rightZoneMinY, 0, 0.8, "%.2f", ""},
    {TuningSection::oneFingerSwipe, "Min travel", &RC::oneFingerSwipeMinTravelMM, 8, 40, "%.0f",
     "mm"},
    {TuningSection::pinch, "Min distance change", &RC::pinchMinDeltaMM, 2, 40, "%.0f", "mm"},
});

const auto switchTable = std::to_array<TuningSwitch>({
    {TuningSection::dragScroll, "Scroll with a second finger while dragging",
     &RC::dragScrollEnabled},
    {TuningSection::dragScroll, "Invert direction", &RC::dragScrollInverted},
    {TuningSection::dragScroll, "Nudge cursor for native autoscroll (experimental)",
     &RC::dragAutoscrollNudgeEnabled},
    {TuningSection::rightSideTap, "Enable right-side tap", &RC::rightZoneTapEnabled},
    {TuningSection::oneFingerSwipe, "Enable one-finger horizontal swipe",
     &RC::oneFingerSwipeEnabled},
});

const auto dragModeTable = std::to_array<TuningModel::DragModeChoice>({
    {DragActivation::doubleTapHold, "Tap, then tap and hold"},
    {DragActivation::fingerRest, "Any finger resting on the surface"},
    {DragActivation::disabled, "Off"},
});

template <typename... T>
void restore(RC& tuning, T RC::*... fields) {
  ((tuning.*fields = RC::defaults().*fields), ...);
}

}  // namespace

double TuningSlider::read(const RecognitionConfig& tuning) const {
  return std::visit([&tuning](auto member) { return static_cast<double>(tuning.*member); }, field);
}

void TuningSlider::write(RecognitionConfig& tuning, double value) const {
  std::visit(
      [&tuning, value](auto member) {
        using Value = std::remove_reference_t<decltype(tuning.*member)>;
        tuning.*member = static_cast<Value>(value);
      },
      field);
}

std::string TuningSlider::formatted(double value) const {
  char digits[64];
  // The format strings are this file's own constants with one double conversion each.
  const std::string formatText(format);
  std::snprintf(digits, sizeof digits, formatText.c_str(), value);
  std::string text(digits);
  if (!unit.empty()) {
    text += ' ';
    text += unit;
  }
  return text;
}

std::span<const TuningSection> TuningModel::shownSections() {
  return shownOrder;
}

std::string_view TuningModel::title(TuningSection section) {
  switch (section) {
    case TuningSection::tap:
      return "Tap";
    case TuningSection::drag:
      return "Drag";
    case TuningSection::dragScroll:
      return "Drag Scroll";
    case TuningSection::swipe:
      return "Swipe";
    case TuningSection::oneFingerSwipe:
      return "One-Finger Swipe (Back/Forward)";
    case TuningSection::rightSideTap:
      return "Right-Side Tap (Right Click)";
    case TuningSection::pinch:
      return "Pinch";
    case TuningSection::appSwitcher:
      return "App Switcher";
    case TuningSection::overlay:
      return "Gesture Overlay";
  }
  return {};
}

std::string_view TuningModel::explanation(TuningSection section) {
  switch (section) {
    case TuningSection::tap:
      return "A held contact past the quick/slow cutoff has to stay under the stricter "
             "\u201cslow\u201d "
             "travel limit to still count as a tap \u2014 this is what tells a quick click apart "
             "from a one-finger scroll flick covering a similar distance. Max slide speed catches "
             "the flicks that slip under both: a finger sliding faster than this through the "
             "middle of its touch was scrolling, not tapping. Lower it if scrolling still clicks "
             "things; raise it if deliberate taps get missed. 0 turns it off.";
    case TuningSection::drag:
      return "\u201cAny finger resting\u201d drags whenever one finger is on the surface and you "
             "move the mouse \u2014 convenient, but it turns ordinary cursor movement into a "
             "selection if you rest a finger while holding the mouse. \u201cTap, then tap and "
             "hold\u201d only drags after a deliberate double-tap. Physical click-and-drag is "
             "unaffected either way. The second-tap window also governs Double Tap and Triple Tap "
             "bindings, if you\u2019ve added any \u2014 taps of the same finger count within this "
             "window count as one gesture.";
    case TuningSection::dragScroll:
      return "While holding a click-and-drag, a second finger scrolls instead of cancelling the "
             "drag \u2014 like holding a mouse\u2019s left button while turning its scroll wheel. "
             "The nudge option helps apps like the file manager, whose list/icon views only "
             "autoscroll off cursor position during a drag and never see the scroll itself \u2014 "
             "turn it off if it feels jumpy or fights your own mouse movement.";
    case TuningSection::appSwitcher:
      return "For \u201cCycle Apps\u201d: how long after your last swipe before the highlighted "
             "app is selected. Keep swiping within this window to keep moving through the list. "
             "Some delay is unavoidable \u2014 a swipe has no \u201clet go\u201d of its own, so "
             "the "
             "only signal that you\u2019ve finished is that you stopped.";
    case TuningSection::rightSideTap:
      return "A one-finger tap in the right-front corner of the surface. Both values are fractions "
             "of the surface (0 = left/back edge, 1 = right/front edge). If right-side taps "
             "register in the wrong place, lower \u201cZone front edge\u201d to 0 first \u2014 "
             "that "
             "widens the zone to the full right side.";
    case TuningSection::oneFingerSwipe:
      return "Slide one finger sideways across the mouse surface (without moving the mouse) for "
             "back/forward in any app. Only horizontal counts \u2014 one finger moving vertically "
             "is scrolling. While a sideways swipe is in progress, horizontal scrolling is briefly "
             "suppressed so browsers don\u2019t also run their own page-swipe; vertical scrolling "
             "is never affected.";
    case TuningSection::swipe:
    case TuningSection::pinch:
    case TuningSection::overlay:
      return {};
  }
  return {};
}

std::string TuningModel::restoreHelp(TuningSection section) {
  return "Put the " + std::string(title(section)) + " settings back to how Tactora came";
}

std::span<const TuningSlider> TuningModel::sliders() {
  return sliderTable;
}

std::span<const TuningSwitch> TuningModel::switches() {
  return switchTable;
}

const TuningSlider* TuningModel::slider(TuningSection section, std::string_view label) {
  for (const TuningSlider& slider : sliderTable) {
    if (slider.section == section && slider.label == label) {
      return &slider;
    }
  }
  return nullptr;
}

const TuningSwitch* TuningModel::switchFor(TuningSection section, std::string_view label) {
  for (const TuningSwitch& entry : switchTable) {
    if (entry.section == section && entry.label == label) {
      return &entry;
    }
  }
  return nullptr;
}

std::span<const TuningModel::DragModeChoice> TuningModel::dragModes() {
  return dragModeTable;
}

RecognitionConfig TuningModel::restoringDefaults(RecognitionConfig tuning, TuningSection section) {
  switch (section) {
    case TuningSection::tap:
      restore(tuning, &RC::tapMaxDuration, &RC::minTapDuration, &RC::tapQuickDuration,
              &RC::tapCoalesceWindow, &RC::tapDebounce);
      restore(tuning, &RC::tapMaxTravelMM, &RC::tapMaxTravelMMSlow, &RC::tapMaxSlideSpeedMMPerS,
              &RC::minTouchSize);
      break;
    case TuningSection::drag:
      restore(tuning, &RC::dragActivationPixels);
      restore(tuning, &RC::dragActivation);
      restore(tuning, &RC::doubleTapWindow);
      break;
    case TuningSection::dragScroll:
      restore(tuning, &RC::dragScrollEnabled, &RC::dragScrollInverted,
              &RC::dragAutoscrollNudgeEnabled);
      restore(tuning, &RC::dragScrollSensitivity);
      break;
    case TuningSection::swipe:
      restore(tuning, &RC::swipeMinTravelMMX, &RC::swipeMinTravelMMY, &RC::swipeMinVelocityMMPerS);
      break;
    case TuningSection::oneFingerSwipe:
      restore(tuning, &RC::oneFingerSwipeEnabled);
      restore(tuning, &RC::oneFingerSwipeMinTravelMM);
      break;
    case TuningSection::rightSideTap:
      restore(tuning, &RC::rightZoneTapEnabled);
      restore(tuning, &RC::rightZoneMinX, &RC::rightZoneMinY);
      break;
    case TuningSection::pinch:
      restore(tuning, &RC::pinchMinDeltaMM);
      break;
    case TuningSection::appSwitcher:
      restore(tuning, &RC::appSwitcherHoldSeconds);
      break;
    case TuningSection::overlay:
      restore(tuning, &RC::showGestureHUD);
      break;
  }
  return tuning;
}

}  // namespace tactora::settings
