#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Expected.h"

namespace tactora {

// What a recognised gesture does: 24 cases, two with a payload (`keyShortcut`, `shellCommand`).
// A plain value compared and hashed by content; only the payload of its own case takes part.
class Action {
 public:
  enum class Case : std::uint8_t {
    none,
    leftClick,
    rightClick,
    middleClick,
    doubleClick,
    tripleClick,
    missionControl,
    appExpose,
    showDesktop,
    spaceLeft,
    spaceRight,
    closeFocusedWindow,
    hideApp,
    minimizeWindow,
    cycleWindows,
    zoomIn,
    zoomOut,
    navigateBack,
    navigateForward,
    appSwitcher,
    appSwitcherNext,
    appSwitcherPrevious,
    keyShortcut,
    shellCommand,
  };
  static constexpr std::size_t caseCount = 24;

  Action() = default;  // none
  // A payload-free case; for keyShortcut or shellCommand this gives an empty payload.
  explicit Action(Case kind) : case_(kind) {}
  static Action keyShortcut(std::uint16_t keyCode, std::uint64_t modifiers);
  static Action shellCommand(std::string command);

  Case kind() const { return case_; }
  std::uint16_t keyCode() const { return keyCode_; }       // keyShortcut
  std::uint64_t modifiers() const { return modifiers_; }   // keyShortcut: raw event-flag mask
  const std::string& command() const { return command_; }  // shellCommand

  friend bool operator==(const Action& a, const Action& b);
  std::size_t hash() const;

  // The textual form used in log lines: `spaceLeft`, `keyShortcut(keyCode: 4, modifiers:
  // 1048576)`, `shellCommand("open -a Calculator")`.
  std::string description() const;

 private:
  Case case_ = Case::none;
  std::uint16_t keyCode_ = 0;
  std::uint64_t modifiers_ = 0;
  std::string command_;
};

std::string_view caseName(Action::Case kind);  // "none", "leftClick", ...
extern const std::array<Action::Case, Action::caseCount> allActionCases;

// {"leftClick":{}}, {"keyShortcut":{"keyCode":4,"modifiers":1048576}}, {"shellCommand":{"_0":"…"}}
nlohmann::json toJson(const Action& action);
Expected<Action> decodeAction(const nlohmann::json& value);

}  // namespace tactora

template <>
struct std::hash<tactora::Action> {
  std::size_t operator()(const tactora::Action& action) const { return action.hash(); }
};
