#pragma once

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "Platform/Platform.h"

namespace tactora {

// One lazily made value per installed platform. The process-wide shared services are made on
// first use from the platform they serve: the application installs one platform, so each exists
// once; tests that install a fresh simulated platform per case get fresh services with it instead
// of state (a held key, a running timer) left over from an earlier case.
template <class T>
class PerPlatform {
 public:
  // The value for `platform`; `make(platform)` (returning `std::shared_ptr<T>`) runs on first use
  // only, under the cache's lock, so concurrent first uses make it once.
  template <class Make>
  T& get(platform::Platform& owner, Make&& make) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : values_) {
      if (key == &owner) {
        return *value;
      }
    }
    values_.emplace_back(&owner, std::forward<Make>(make)(owner));
    return *values_.back().second;
  }

  // The process-wide service T of `owner`, from one cache per service type, made on first use:
  // with `T::create(owner)` when T lives in a `shared_ptr` (its timers hold it weakly), else
  // constructed from the platform.
  static T& shared(platform::Platform& owner) {
    static PerPlatform instances;
    return instances.get(owner, [](platform::Platform& platform) {
      if constexpr (requires { T::create(platform); }) {
        return T::create(platform);
      } else {
        return std::make_shared<T>(platform);
      }
    });
  }
  // The service T of the installed platform.
  static T& shared() { return shared(platform::Platform::current()); }

 private:
  std::mutex mutex_;
  // Platforms are kept alive for the life of the process, so their addresses are never reused.
  std::vector<std::pair<const platform::Platform*, std::shared_ptr<T>>> values_;
};

}  // namespace tactora
