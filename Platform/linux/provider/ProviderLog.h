#pragma once

#include <cstdio>
#include <mutex>

#include "Platform/linux/provider/EvdevProvider.h"

namespace tactora::lx {

// Where a provider library's own log lines go: the handler the application installs with
// TactoraEvdevSetLogHandler, or standard error until it has installed one. Each provider library
// is built with hidden symbols, so each has its own sink.
class ProviderLog {
 public:
  static void install(TactoraEvdevLogHandler handler, void* context) {
    std::lock_guard lock(mutex_);
    handler_ = handler;
    context_ = context;
  }

  // Matches the readers' ReaderLog. The handler is called outside the lock, so a handler that
  // installs another one does not deadlock.
  static void write(int level, const char* message) {
    TactoraEvdevLogHandler handler = nullptr;
    void* context = nullptr;
    {
      std::lock_guard lock(mutex_);
      handler = handler_;
      context = context_;
    }
    if (handler != nullptr) {
      handler(context, level, message);
    } else {
      std::fprintf(stderr, "tactora: %s\n", message);
    }
  }

 private:
  static inline std::mutex mutex_;
  static inline TactoraEvdevLogHandler handler_ = nullptr;
  static inline void* context_ = nullptr;
};

}  // namespace tactora::lx
