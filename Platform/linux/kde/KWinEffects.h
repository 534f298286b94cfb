#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>

#include "Platform/linux/bus/SessionBus.h"

namespace tactora::lx {

// KWin's effects interface (/Effects on org.kde.KWin): which effects are loaded now. KWin serves
// it only while it composites, and the effects behind some shortcuts (the overview, Present
// Windows) run only then, though kglobalaccel keeps listing their shortcuts and accepts them.
class KWinEffects {
 public:
  // KWin answers slowly while it draws an effect on a busy machine (0.4 s seen).
  static constexpr std::chrono::milliseconds defaultTimeout{500};

  explicit KWinEffects(std::shared_ptr<SessionBus> bus,
                       std::chrono::microseconds timeout = defaultTimeout);

  // Whether KWin has `effect` loaded: false when it has not or serves no effects (compositing is
  // off, or no KWin runs); nothing when KWin did not answer in time (it is busy, as while it
  // draws the overview in software on a loaded machine).
  std::optional<bool> isLoaded(std::string_view effect);

 private:
  std::shared_ptr<SessionBus> bus_;
  std::chrono::microseconds timeout_;
};

}  // namespace tactora::lx
