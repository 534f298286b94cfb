#include "ActionKit/CGSBridge.h"

#include <utility>

#include "ActionKit/PerPlatform.h"

namespace tactora {

CGSBridge::CGSBridge(platform::HotKeyFunctions functions) : functions_(std::move(functions)) {}

CGSBridge::CGSBridge(platform::Platform& platform)
    : CGSBridge(platform.systemBridges().loadHotKeyFunctions()) {}

CGSBridge& CGSBridge::shared() {
  return PerPlatform<CGSBridge>::shared();
}

CGSBridge& CGSBridge::shared(platform::Platform& platform) {
  return PerPlatform<CGSBridge>::shared(platform);
}

}  // namespace tactora
