#include "Platform/linux/events/EvdevProviderLink.h"

#include <dlfcn.h>

#include "Platform/linux/provider/EvdevProvider.h"

namespace tactora::lx {

namespace {

void* resolve(const std::string& providerPath, const char* symbol, std::string* error) {
  // Never closed: the bridge keeps the provider loaded for the life of the process.
  void* handle = ::dlopen(providerPath.c_str(), RTLD_NOW);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* reason = ::dlerror();
      *error = reason != nullptr ? reason : "cannot open " + providerPath;
    }
    return nullptr;
  }
  void* found = ::dlsym(handle, symbol);
  if (found == nullptr && error != nullptr) {
    *error = std::string("missing symbol: ") + symbol;
  }
  return found;
}

TactoraEvdevSetReportFilterFn resolveFilter(const std::string& providerPath, std::string* error) {
  return reinterpret_cast<TactoraEvdevSetReportFilterFn>(
      resolve(providerPath, TACTORA_EVDEV_SET_REPORT_FILTER, error));
}

}  // namespace

bool EvdevProviderLink::install(const std::string& providerPath, LinuxEventTaps& taps,
                                bool exclusive, std::string* error) {
  TactoraEvdevSetReportFilterFn set = resolveFilter(providerPath, error);
  if (set == nullptr) {
    return false;
  }
  set(&LinuxEventTaps::filterReportEntry, &taps, exclusive);
  return true;
}

void EvdevProviderLink::uninstall(const std::string& providerPath) {
  if (TactoraEvdevSetReportFilterFn set = resolveFilter(providerPath, nullptr)) {
    set(nullptr, nullptr, false);
  }
}

TactoraEvdevWritePointerEventsFn EvdevProviderLink::pointerWriter(const std::string& providerPath,
                                                                  std::string* error) {
  return reinterpret_cast<TactoraEvdevWritePointerEventsFn>(
      resolve(providerPath, TACTORA_EVDEV_WRITE_POINTER_EVENTS, error));
}

}  // namespace tactora::lx
