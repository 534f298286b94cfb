#pragma once

#include "Platform/Dispatch.h"

namespace tactora::shell {

// A backend's dispatch with another main queue: `main()` is the given run loop (Qt's), while the
// global queue, named threads and pauses stay the backend's. Both must outlive it.
class MainQueueDispatch final : public platform::Dispatch {
 public:
  MainQueueDispatch(platform::Dispatch& backend, platform::RunLoop& mainLoop)
      : backend_(backend), mainLoop_(mainLoop) {}

  platform::RunLoop& main() override { return mainLoop_; }
  platform::DispatchQueue& globalUserInteractive() override {
    return backend_.globalUserInteractive();
  }
  std::unique_ptr<platform::NamedThread> startThread(
      std::string name, std::function<void(platform::RunLoop& loop)> body) override {
    return backend_.startThread(std::move(name), std::move(body));
  }
  void pause(double seconds) override { backend_.pause(seconds); }

 private:
  platform::Dispatch& backend_;
  platform::RunLoop& mainLoop_;
};

}  // namespace tactora::shell
