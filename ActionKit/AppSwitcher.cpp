#include "ActionKit/AppSwitcher.h"

#include <optional>
#include <utility>

#include "ActionKit/PerPlatform.h"
#include "ActionKit/SharedEventSource.h"
#include "ActionKit/SyntheticInput.h"
#include "Platform/Logger.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"AppSwitcher"};

constexpr std::uint16_t commandKeyCode = 55;
constexpr std::uint16_t tabKeyCode = 48;

}  // namespace

std::shared_ptr<AppSwitcher> AppSwitcher::create(platform::Platform& platform,
                                                 PostEvent postEvent) {
  return std::make_shared<AppSwitcher>(ConstructionKey{}, platform, std::move(postEvent));
}

std::shared_ptr<AppSwitcher> AppSwitcher::create(platform::Platform& platform) {
  return create(platform, postingAtHID(platform));
}

AppSwitcher& AppSwitcher::shared() {
  return PerPlatform<AppSwitcher>::shared();
}

AppSwitcher::AppSwitcher(ConstructionKey, platform::Platform& platform, PostEvent postEvent)
    : platform_(platform), postEvent_(std::move(postEvent)) {}

AppSwitcher::~AppSwitcher() {
  std::lock_guard lock(lock_);
  for (auto* commit : {&rollingCommit_, &absoluteCommit_}) {
    if (*commit) {
      (*commit)->cancel();
    }
  }
}

void AppSwitcher::cycle(bool forward) {
  // Events are posted under the lock so a step and a release never interleave.
  std::lock_guard lock(lock_);
  if (!isHolding_) {
    isHolding_ = true;
    postKey(commandKeyCode, true, platform::eventFlags::maskCommand, true,
            platform::FixedShortcut::appSwitcherHold);
    // Armed only at the first step: it bounds the whole hold, however many steps follow.
    if (absoluteCommit_) {
      absoluteCommit_->cancel();
    }
    absoluteCommit_ = arm(Commit::absolute, maximumHoldSeconds, absoluteToken_);
  }
  const platform::EventFlags tabFlags =
      forward ? platform::eventFlags::maskCommand
              : platform::eventFlags::maskCommand | platform::eventFlags::maskShift;
  const auto step = forward ? platform::FixedShortcut::appSwitcherForward
                            : platform::FixedShortcut::appSwitcherBackward;
  postKey(tabKeyCode, true, tabFlags, false, step);
  postKey(tabKeyCode, false, tabFlags, false, step);
  if (rollingCommit_) {
    rollingCommit_->cancel();
  }
  rollingCommit_ = arm(Commit::rolling, holdSeconds(), rollingToken_);
}

void AppSwitcher::release() {
  std::lock_guard lock(lock_);
  releaseLocked();
}

bool AppSwitcher::isHolding() const {
  std::lock_guard lock(lock_);
  return isHolding_;
}

void AppSwitcher::commitFired(Commit commit, std::uint64_t token) {
  switch (commit) {
    case Commit::rolling:
      break;
    case Commit::absolute: {
      {
        std::lock_guard lock(lock_);
        if (token != absoluteToken_) {
          return;
        }
      }
      // Logged before the lock is taken for the release.
      logger.notice("app switcher hit its maximum hold — releasing its held modifier");
      break;
    }
  }
  std::lock_guard lock(lock_);
  const std::uint64_t current = commit == Commit::rolling ? rollingToken_ : absoluteToken_;
  if (token != current) {
    return;
  }
  releaseLocked();
}

void AppSwitcher::releaseLocked() {
  for (auto* commit : {&rollingCommit_, &absoluteCommit_}) {
    if (*commit) {
      (*commit)->cancel();
      commit->reset();
    }
  }
  rollingToken_ = 0;
  absoluteToken_ = 0;
  if (isHolding_) {
    isHolding_ = false;
    postKey(commandKeyCode, false, 0, true, platform::FixedShortcut::appSwitcherHold);
  }
}

void AppSwitcher::postKey(std::uint16_t keyCode, bool keyDown, platform::EventFlags flags,
                          bool asFlagsChanged, platform::FixedShortcut shortcut) {
  // Without a source no event is built, but the hold and its timers carry on, so a later
  // release still ends the hold.
  const auto source = SharedEventSource::source(platform_);
  if (!source) {
    return;
  }
  auto event = platform_.events().createKeyboardEvent(&*source, keyCode, keyDown);
  if (!event) {
    return;
  }
  if (asFlagsChanged) {
    event->setType(platform::EventType::flagsChanged);
  }
  event->setFlags(flags);
  markFixedShortcut(*event, shortcut);
  postEvent_(*event);
}

std::shared_ptr<platform::WorkItem> AppSwitcher::arm(Commit commit, double delaySeconds,
                                                     std::uint64_t& token) {
  token = ++nextToken_;
  std::weak_ptr<AppSwitcher> weakSelf = weak_from_this();
  return platform_.dispatch().main().asyncAfter(delaySeconds, [weakSelf, commit, armed = token] {
    if (const auto self = weakSelf.lock()) {
      self->commitFired(commit, armed);
    }
  });
}

}  // namespace tactora
