// Waking from sleep on the Linux workspace: reported from the watcher's thread, the handlers run
// later, on the main thread's queue.

#include "Platform/linux/platform/LinuxWorkspace.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tactora::lx {
namespace {

TEST(LinuxWorkspace, WakeHandlersRunOnTheMainQueueWhileSubscribed) {
  auto queue = std::make_shared<std::vector<std::function<void()>>>();
  LinuxWorkspace::Parts parts;
  parts.onMainThread = [queue](std::function<void()> work) { queue->push_back(std::move(work)); };
  auto workspace = std::make_unique<LinuxWorkspace>(std::move(parts));

  int kept = 0;
  int cancelled = 0;
  platform::Subscription keep = workspace->subscribeDidWake([&] { ++kept; });
  platform::Subscription cancel = workspace->subscribeDidWake([&] { ++cancelled; });
  workspace->systemDidWake();
  EXPECT_EQ(kept, 0) << "nothing runs on the reporting thread";
  ASSERT_EQ(queue->size(), 1u);
  cancel.cancel();
  (*queue)[0]();
  EXPECT_EQ(kept, 1);
  EXPECT_EQ(cancelled, 0) << "a handler cancelled before the queue ran is not called";

  // Work still queued when the workspace goes does nothing, and late cancellation is harmless.
  workspace->systemDidWake();
  workspace.reset();
  (*queue)[1]();
  keep.cancel();
  EXPECT_EQ(kept, 1);
}

}  // namespace
}  // namespace tactora::lx
