#include "Platform/ThreadDispatch.h"

#include <pthread.h>

#include <chrono>

namespace tactora::platform {

namespace {

constexpr std::size_t maxThreadNameLength = 15;

void nameCurrentThread(const std::string& name) {
  ::pthread_setname_np(::pthread_self(), ThreadDispatch::shortThreadName(name).c_str());
}

class RealNamedThread : public NamedThread {
 public:
  RealNamedThread(std::string name, std::function<void(RunLoop&)> body)
      : name_(std::move(name)), loop_(std::make_shared<EventLoop>()) {
    thread_ = std::thread([loop = loop_, body = std::move(body), name = name_] {
      nameCurrentThread(name);
      if (body) {
        body(*loop);
      }
    });
  }

  ~RealNamedThread() override {
    loop_->stop();
    if (thread_.get_id() == std::this_thread::get_id()) {
      // The thread is dropping its own handle; it ends by itself once its body returns.
      thread_.detach();
    } else if (thread_.joinable()) {
      thread_.join();
    }
  }

  const std::string& name() const override { return name_; }

 private:
  std::string name_;
  std::shared_ptr<EventLoop> loop_;  // shared with the thread, which may outlive a detach
  std::thread thread_;
};

}  // namespace

std::string ThreadDispatch::shortThreadName(const std::string& name) {
  const auto dot = name.find_last_of('.');
  std::string last =
      dot == std::string::npos || dot + 1 == name.size() ? name : name.substr(dot + 1);
  if (last.size() > maxThreadNameLength) {
    last.resize(maxThreadNameLength);
  }
  return last;
}

ThreadDispatch::ThreadDispatch()
    : globalThread_([this] {
        nameCurrentThread("tactora.global");
        global_.run();
      }) {}

ThreadDispatch::~ThreadDispatch() {
  global_.stop();
  if (globalThread_.joinable()) {
    globalThread_.join();
  }
}

std::unique_ptr<NamedThread> ThreadDispatch::startThread(std::string name,
                                                         std::function<void(RunLoop& loop)> body) {
  return std::make_unique<RealNamedThread>(std::move(name), std::move(body));
}

void ThreadDispatch::pause(double seconds) {
  if (seconds > 0) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  }
}

}  // namespace tactora::platform
