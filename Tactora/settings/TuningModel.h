#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "GestureEngine/RecognitionConfig.h"

namespace tactora::settings {

// The groups of the Tuning tab. Each owns a set of tuning fields that its "Restore Defaults"
// puts back; `overlay` is never shown there (its switch lives in the General tab).
enum class TuningSection {
  tap,
  drag,
  dragScroll,
  swipe,
  oneFingerSwipe,
  rightSideTap,
  pinch,
  appSwitcher,
  overlay,
};

// A tuning field a slider edits. Sliders work in double precision; a single-precision field
// receives the value converted to float.
using TuningField = std::variant<double RecognitionConfig::*, float RecognitionConfig::*>;

// One slider row: its label, the field, the range and how the value is written beside it.
struct TuningSlider {
  TuningSection section;
  std::string_view label;
  TuningField field;
  double minimum;
  double maximum;
  std::string_view format;  // printf style, one double
  std::string_view unit;    // empty: no unit and no space

  double read(const RecognitionConfig& tuning) const;
  // Stores `value` unrounded (and unclamped) in the field, narrowed for a float field.
  void write(RecognitionConfig& tuning, double value) const;
  // The value column: "0.60 s", "0.62".
  std::string formatted(double value) const;
};

// One tuning switch: its label and the boolean it stores.
struct TuningSwitch {
  TuningSection section;
  std::string_view label;
  bool RecognitionConfig::*field;
};

// The Tuning tab's data: the order of sections, their titles and texts, every slider, and the
// per-section reset. The widgets only lay these out.
class TuningModel {
 public:
  // The sections in the order the tab shows them.
  static std::span<const TuningSection> shownSections();
  static std::string_view title(TuningSection section);
  // The explanation under a section's controls; empty where it has none.
  static std::string_view explanation(TuningSection section);
  // "Put the Tap settings back to how Tactora came".
  static std::string restoreHelp(TuningSection section);
  // Every slider, in the tab's order; those of one section are contiguous.
  static std::span<const TuningSlider> sliders();
  static std::span<const TuningSwitch> switches();
  // The first slider or switch of `section` with that label; null when there is none.
  static const TuningSlider* slider(TuningSection section, std::string_view label);
  static const TuningSwitch* switchFor(TuningSection section, std::string_view label);

  // The drag-mode picker's entries, in order.
  struct DragModeChoice {
    DragActivation mode;
    std::string_view label;
  };
  static std::span<const DragModeChoice> dragModes();
  static constexpr std::string_view dragModeLabel = "Start a drag with";
  static constexpr std::string_view fingerRestWarningTitle =
      "\u201cAny Finger Resting\u201d Drags Every Time You Rest a Finger";
  static constexpr std::string_view fingerRestWarningMessage =
      "This mode starts a drag the instant one finger is on the surface and the mouse moves "
      "\u2014 there\u2019s no way to just rest a finger while holding the mouse normally without "
      "it turning into a drag. \u201cTap, then tap and hold\u201d doesn\u2019t have this problem "
      "and is recommended instead.";

  // `tuning` with exactly the fields of `section` set to their defaults.
  static RecognitionConfig restoringDefaults(RecognitionConfig tuning, TuningSection section);
};

}  // namespace tactora::settings
