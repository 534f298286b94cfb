#pragma once

#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace tactora::sim {

// One kind of record a simulated service makes (posted events, launches, hot-key calls...): kept
// in order unless the service was told not to keep records (a long replay would otherwise hold
// every one), and shown to an observer right after it is made, on the thread that made it and
// outside the stream's lock, so output can interleave with log lines in the order things
// happened. `Context` is what the observer is shown beside the record without it being kept.
template <class Record, class... Context>
class RecordStream {
 public:
  using Observer = std::function<void(const Record&, const Context&...)>;

  void setKeeps(bool keep) {
    std::lock_guard lock(mutex_);
    keeps_ = keep;
  }
  // Null clears.
  void setObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
  }

  void add(const Record& record, const Context&... context) {
    Observer observer;
    {
      std::lock_guard lock(mutex_);
      if (keeps_) {
        records_.push_back(record);
      }
      observer = observer_;
    }
    if (observer) {
      observer(record, context...);
    }
  }

  std::vector<Record> records() const {
    std::lock_guard lock(mutex_);
    return records_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
  }

 private:
  mutable std::mutex mutex_;
  bool keeps_ = true;
  std::vector<Record> records_;
  Observer observer_;
};

}  // namespace tactora::sim
