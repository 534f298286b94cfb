#pragma once

#include <chrono>
#include <memory>
#include <string_view>

#include "Platform/linux/bus/SessionBus.h"

namespace tactora::lx {

// KWin's effects interface (/Effects on org.kde.KWin): which effects are loaded now. KWin serves
// it only while it composites, and the effects behind some shortcuts (the overview, Present
// Windows) run only then, though kglobalaccel keeps listing their shortcuts and accepts them.
class KWinEffects {
 public:
  // KWin answers slowly while it draws an effect on a busy machine (a third of a second seen).
  static constexpr std::chrono::milliseconds defaultTimeout{500};

  explicit KWinEffects(std::shared_ptr<SessionBus> bus,
                       std::chrono::microseconds timeout = defaultTimeout);

  // Whether KWin has `effect` loaded; false when it has not, serves no effects (compositing is
  // off), or did not answer in time.
  bool isLoaded(std::string_view effect);

 private:
  std::shared_ptr<SessionBus> bus_;
  std::chrono::microseconds timeout_;
};

}  // namespace tactora::lx
