#include "tests/Platform/linux/kde/FakeSessionService.h"

#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

namespace tactora::lx::test {

FakeSessionService::FakeSessionService(const char* name)
    : bus_(BusConnection::connect()), wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  ready_ = bus_ && wakeUp_ >= 0 && sd_bus_request_name(bus_->get(), name, 0) >= 0;
}

FakeSessionService::~FakeSessionService() {
  if (thread_.joinable()) {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
    thread_.join();
  }
  for (sd_bus_slot* slot : slots_) {
    sd_bus_slot_unref(slot);
  }
  bus_.reset();
  if (wakeUp_ >= 0) {
    ::close(wakeUp_);
  }
}

void FakeSessionService::handle(const std::string& path, Handler handler) {
  handlers_[path] = std::move(handler);
  sd_bus_slot* slot = nullptr;
  if (sd_bus_add_object(bus_->get(), &slot, path.c_str(), &FakeSessionService::dispatch, this) >=
      0) {
    slots_.push_back(slot);
  }
}

int FakeSessionService::dispatch(sd_bus_message* message, void* self, sd_bus_error*) {
  auto& service = *static_cast<FakeSessionService*>(self);
  if (sd_bus_message_is_method_call(message, nullptr, nullptr) <= 0) {
    return 0;
  }
  Call call{sd_bus_message_get_path(message), sd_bus_message_get_member(message), {}};
  const char* signature = sd_bus_message_get_signature(message, 1);
  for (const char* type = signature; type != nullptr && *type == 's'; ++type) {
    const char* text = nullptr;
    if (sd_bus_message_read(message, "s", &text) < 0) {
      break;
    }
    call.arguments.emplace_back(text);
  }
  {
    const std::scoped_lock lock(service.mutex_);
    service.calls_.push_back(call);
  }
  const auto handler = service.handlers_.find(call.path);
  return handler->second(message, call);
}

void FakeSessionService::start() {
  thread_ = std::thread([this] { serve(); });
}

void FakeSessionService::post(std::function<void(sd_bus*)> task) {
  {
    const std::scoped_lock lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
}

void FakeSessionService::serve() {
  while (!stopping_) {
    if (bus_->process() < 0 || bus_->wait(wakeUp_) < 0) {
      return;
    }
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wakeUp_, &count, sizeof count);
    std::vector<std::function<void(sd_bus*)>> tasks;
    {
      const std::scoped_lock lock(mutex_);
      tasks.swap(tasks_);
    }
    for (auto& task : tasks) {
      task(bus_->get());
    }
    sd_bus_flush(bus_->get());
  }
}

std::vector<FakeSessionService::Call> FakeSessionService::calls() const {
  const std::scoped_lock lock(mutex_);
  return calls_;
}

std::vector<FakeSessionService::Call> FakeSessionService::calls(const std::string& member) const {
  std::vector<Call> matching;
  for (auto& call : calls()) {
    if (call.member == member) {
      matching.push_back(std::move(call));
    }
  }
  return matching;
}

}  // namespace tactora::lx::test
