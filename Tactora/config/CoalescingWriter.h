#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tactora {

// Runs write jobs one at a time on a thread of its own, so a caller on the GUI thread never waits
// for the disk. Only the newest job waiting matters: one handed in while another waits replaces
// it (ten saves during one slow write become one more write, of the last value). The thread
// starts with the first job; destroying the writer runs what still waits before it returns.
class CoalescingWriter {
 public:
  using Job = std::function<void()>;

  CoalescingWriter() = default;
  ~CoalescingWriter();
  CoalescingWriter(const CoalescingWriter&) = delete;
  CoalescingWriter& operator=(const CoalescingWriter&) = delete;

  void submit(Job job);
  // Returns once every job handed in before has run or been replaced by a later one that ran.
  void flush();

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  Job waiting_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tactora
