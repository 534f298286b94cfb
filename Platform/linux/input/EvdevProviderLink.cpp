#include "Platform/linux/input/EvdevProviderLink.h"

#include <dlfcn.h>

#include "Platform/linux/provider/EvdevProvider.h"

namespace tactora::lx {

namespace {

TactoraEvdevSetReportFilterFn resolve(const std::string& providerPath, std::string* error) {
  // Never closed: the bridge keeps the provider loaded for the life of the process.
  void* handle = ::dlopen(providerPath.c_str(), RTLD_NOW);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* reason = ::dlerror();
      *error = reason != nullptr ? reason : "cannot open " + providerPath;
    }
    return nullptr;
  }
  auto* set = reinterpret_cast<TactoraEvdevSetReportFilterFn>(
      ::dlsym(handle, TACTORA_EVDEV_SET_REPORT_FILTER));
  if (set == nullptr && error != nullptr) {
    *error = std::string("missing symbol: ") + TACTORA_EVDEV_SET_REPORT_FILTER;
  }
  return set;
}

}  // namespace

bool EvdevProviderLink::install(const std::string& providerPath, LinuxEventTaps& taps,
                                bool exclusive, std::string* error) {
  TactoraEvdevSetReportFilterFn set = resolve(providerPath, error);
  if (set == nullptr) {
    return false;
  }
  set(&LinuxEventTaps::filterReportEntry, &taps, exclusive);
  return true;
}

void EvdevProviderLink::uninstall(const std::string& providerPath) {
  if (TactoraEvdevSetReportFilterFn set = resolve(providerPath, nullptr)) {
    set(nullptr, nullptr, false);
  }
}

}  // namespace tactora::lx
