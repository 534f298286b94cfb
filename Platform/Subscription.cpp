#include "Platform/Subscription.h"

#include <utility>

namespace tactora::platform {

Subscription::Subscription(Subscription&& other) noexcept
    : onCancel_(std::exchange(other.onCancel_, nullptr)) {}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    cancel();
    onCancel_ = std::exchange(other.onCancel_, nullptr);
  }
  return *this;
}

void Subscription::cancel() {
  if (auto onCancel = std::exchange(onCancel_, nullptr)) {
    onCancel();
  }
}

}  // namespace tactora::platform
