#include "ActionKit/CGSBridge.h"

#include <memory>
#include <utility>

#include "ActionKit/PerPlatform.h"

namespace tactora {

CGSBridge::CGSBridge(platform::HotKeyFunctions functions) : functions_(std::move(functions)) {}

CGSBridge& CGSBridge::shared() {
  return shared(platform::Platform::current());
}

CGSBridge& CGSBridge::shared(platform::Platform& platform) {
  static PerPlatform<CGSBridge> bridges;
  return bridges.get(platform, [](platform::Platform& owner) {
    return std::make_shared<CGSBridge>(owner.systemBridges().loadHotKeyFunctions());
  });
}

}  // namespace tactora
