#pragma once

#include <functional>

namespace tactora::platform {

// Keeps something registered (a notification observer, a process activity) while it lives.
// `cancel` or destruction ends it, once.
class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::function<void()> onCancel) : onCancel_(std::move(onCancel)) {}
  Subscription(Subscription&& other) noexcept;
  Subscription& operator=(Subscription&& other) noexcept;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { cancel(); }

  void cancel();
  bool isActive() const { return static_cast<bool>(onCancel_); }

 private:
  std::function<void()> onCancel_;
};

}  // namespace tactora::platform
