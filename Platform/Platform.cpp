#include "Platform/Platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace tactora::platform {

namespace {

std::atomic<Platform*> installedPlatform{nullptr};

// Every platform ever installed stays alive here: shared services and threads may still hold
// references to an earlier one (tests install a fresh one per case).
std::mutex& keptAliveMutex() {
  static std::mutex mutex;
  return mutex;
}
std::vector<std::shared_ptr<Platform>>& keptAlive() {
  static std::vector<std::shared_ptr<Platform>> platforms;
  return platforms;
}

}  // namespace

void Platform::install(std::shared_ptr<Platform> platform) {
  if (!platform) {
    return;
  }
  std::lock_guard lock(keptAliveMutex());
  keptAlive().push_back(platform);
  installedPlatform.store(platform.get(), std::memory_order_release);
}

Platform& Platform::current() {
  Platform* platform = installedPlatform.load(std::memory_order_acquire);
  if (platform == nullptr) {
    std::fputs("tactora: no platform installed\n", stderr);
    std::abort();
  }
  return *platform;
}

bool Platform::isInstalled() {
  return installedPlatform.load(std::memory_order_acquire) != nullptr;
}

}  // namespace tactora::platform
