#pragma once

#include "Platform/linux/provider/EvdevProvider.h"

namespace tactora::lx {

// The application's filter for the mouse's own events, as installed through the provider.
struct ReportFilter {
  TactoraEvdevReportFilter filter = nullptr;
  void* context = nullptr;
  bool exclusive = false;  // grab the mouse and forward what the filter keeps
};

// Where a reader's log lines go: `level` is TACTORA_EVDEV_LOG_DEFAULT or _ERROR.
using ReaderLog = void (*)(int level, const char* message);

}  // namespace tactora::lx
