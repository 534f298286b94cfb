#include "Tactora/BatteryMonitor.h"

#include "Platform/Logger.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"BatteryMonitor"};

}  // namespace

std::shared_ptr<BatteryMonitor> BatteryMonitor::create(platform::Platform& platform) {
  return std::make_shared<BatteryMonitor>(ConstructionKey{}, platform);
}

BatteryMonitor::BatteryMonitor(ConstructionKey, platform::Platform& platform)
    : platform_(platform), warned_(platform.preferences().string(warnedKey).has_value()) {}

BatteryMonitor::~BatteryMonitor() {
  stop();
}

void BatteryMonitor::start() {
  if (started_) {
    return;
  }
  started_ = true;
  std::weak_ptr<BatteryMonitor> weakSelf = weak_from_this();
  platform::Platform* platform = &platform_;
  platform_.battery().start([weakSelf, platform] {
    platform->dispatch().main().async([weakSelf] {
      if (auto self = weakSelf.lock()) {
        self->update();
      }
    });
  });
  update();
}

void BatteryMonitor::stop() {
  if (started_) {
    started_ = false;
    platform_.battery().stop();
  }
}

void BatteryMonitor::refresh() {
  if (started_) {
    platform_.battery().refresh();
  }
}

void BatteryMonitor::update() {
  if (!started_) {
    return;
  }
  std::optional<platform::BatteryLevel> level = platform_.battery().level();
  if (level == level_) {
    return;
  }
  level_ = std::move(level);
  if (level_) {
    logger.debug("mouse battery %{public}d %% %{public}s from %{public}s",
                 {level_->percentage, toString(level_->state), level_->source});
    if (warned_ && level_->percentage > rearmPercentage) {
      warned_ = false;
      platform_.preferences().removeObject(warnedKey);
    }
    if (!warned_ && level_->percentage <= lowPercentage &&
        level_->state == platform::BatteryLevel::State::discharging) {
      warned_ = true;
      platform_.preferences().setString(warnedKey, "true");
      const std::string title = lowBatteryTitle(level_->percentage);
      logger.notice("%{public}s", {title});
      if (notify_) {
        notify_(title, lowBatteryBody);
      }
    }
  }
  if (onChange_) {
    onChange_();
  }
}

std::string BatteryMonitor::statusSuffix(const std::optional<platform::BatteryLevel>& level) {
  if (!level) {
    return {};
  }
  std::string suffix = " \u00b7 " + std::to_string(level->percentage) + " %";
  if (level->state == platform::BatteryLevel::State::charging) {
    suffix += " \u00b7 charging";
  }
  return suffix;
}

std::string BatteryMonitor::lowBatteryTitle(int percentage) {
  return "Magic Mouse battery low: " + std::to_string(percentage) + " %";
}

}  // namespace tactora
