#include "Platform/linux/input/DeviceRole.h"

namespace tactora::lx {

std::string_view toString(DeviceRole role) {
  switch (role) {
    case DeviceRole::magicMouse:
      return "Magic Mouse";
    case DeviceRole::externalTouch:
      return "external touch device";
    case DeviceRole::builtInTouchpad:
      return "built-in touchpad";
    case DeviceRole::touchscreen:
      return "touchscreen";
    case DeviceRole::ownVirtual:
      return "Tactora's own virtual device";
    case DeviceRole::notMultitouch:
      return "no multitouch axes";
  }
  return "unknown";
}

bool isListed(DeviceRole role) {
  switch (role) {
    case DeviceRole::magicMouse:
    case DeviceRole::externalTouch:
    case DeviceRole::builtInTouchpad:
      return true;
    case DeviceRole::touchscreen:
    case DeviceRole::ownVirtual:
    case DeviceRole::notMultitouch:
      return false;
  }
  return false;
}

bool isExternal(DeviceRole role) {
  switch (role) {
    case DeviceRole::magicMouse:
    case DeviceRole::externalTouch:
      return true;
    case DeviceRole::builtInTouchpad:
    case DeviceRole::touchscreen:
    case DeviceRole::ownVirtual:
    case DeviceRole::notMultitouch:
      return false;
  }
  return false;
}

}  // namespace tactora::lx
