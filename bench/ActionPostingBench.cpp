// From an action to the last kernel input event written: the dispatcher builds the events (on the
// simulated event system, which stands in for the Linux one here), the uinput poster translates
// them and writes the reports. The devices are /dev/null, so the write is a real system call that
// costs what a uinput write costs at most to enter the kernel.

#include <benchmark/benchmark.h>
#include <fcntl.h>

#include <memory>

#include "ActionKit/ActionDispatcher.h"
#include "ActionKit/AppSwitcher.h"
#include "Platform/UniqueFd.h"
#include "Platform/linux/posting/UinputPoster.h"
#include "Platform/sim/SimPlatform.h"

namespace {

using tactora::Action;

void postAction(benchmark::State& state, const Action& action) {
  auto sim = tactora::sim::SimPlatform::install();
  sim->events().setKeepsRecords(false);
  tactora::platform::UniqueFd keyboard(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  tactora::platform::UniqueFd pointer(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  tactora::lx::UinputPoster poster(keyboard.get(), pointer.get(),
                                   {tactora::lx::DesktopFamily::gnome, nullptr, nullptr, nullptr});
  sim->events().setPostedObserver(
      [&poster](const tactora::sim::SimEvents::PostedEvent& posted) { poster.post(posted.event); });
  tactora::ActionDispatcher dispatcher;
  for (auto _ : state) {
    dispatcher.perform(action);
  }
  tactora::AppSwitcher::shared().release();
}

void BM_PostLeftClick(benchmark::State& state) {
  postAction(state, Action(Action::Case::leftClick));
}
void BM_PostFixedShortcut(benchmark::State& state) {
  postAction(state, Action(Action::Case::navigateBack));
}
void BM_PostRecordedShortcut(benchmark::State& state) {
  postAction(state, Action::keyShortcut(4, 0x120000));
}
void BM_PostAppSwitcherStep(benchmark::State& state) {
  postAction(state, Action(Action::Case::appSwitcherNext));
}

}  // namespace

BENCHMARK(BM_PostLeftClick);
BENCHMARK(BM_PostFixedShortcut);
BENCHMARK(BM_PostRecordedShortcut);
BENCHMARK(BM_PostAppSwitcherStep);
BENCHMARK_MAIN();
