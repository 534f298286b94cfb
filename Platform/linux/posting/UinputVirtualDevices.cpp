#include "Platform/linux/posting/UinputVirtualDevices.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "Platform/linux/input/DeviceFacts.h"
#include "Platform/linux/input/UinputClone.h"
#include "Platform/linux/posting/KeyCodeTable.h"

namespace tactora::lx {

namespace {

// Our own devices identify as a virtual bus with a vendor id no hardware uses.
constexpr __u16 virtualVendor = 0x7461;
constexpr __u16 keyboardProduct = 0x0001;
constexpr __u16 pointerProduct = 0x0002;

template <typename Bits>
UinputVirtualDevices::Result create(std::string_view name, std::string_view physSuffix,
                                    __u16 product, Bits enableBits) {
  platform::UniqueFd fd(::open(UinputClone::uinputPath, O_WRONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    return SystemError::last("open /dev/uinput");
  }
  if (const char* failed = enableBits(fd.get())) {
    return SystemError::last(failed);
  }
  const std::string phys = std::string(DeviceFacts::ownPhysMarker) + std::string(physSuffix);
  if (::ioctl(fd.get(), UI_SET_PHYS, phys.c_str()) < 0) {
    return SystemError::last("UI_SET_PHYS");
  }
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  setup.id.vendor = virtualVendor;
  setup.id.product = product;
  setup.id.version = 1;
  name.copy(setup.name, UINPUT_MAX_NAME_SIZE - 1);
  if (::ioctl(fd.get(), UI_DEV_SETUP, &setup) < 0) {
    return SystemError::last("UI_DEV_SETUP");
  }
  if (::ioctl(fd.get(), UI_DEV_CREATE) < 0) {
    return SystemError::last("UI_DEV_CREATE");
  }
  return fd;
}

}  // namespace

UinputVirtualDevices::Result UinputVirtualDevices::createKeyboard() {
  return create("Tactora keyboard", "keyboard", keyboardProduct, [](int fd) -> const char* {
    if (::ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0) {
      return "UI_SET_EVBIT";
    }
    for (unsigned key = 1; key <= KEY_MAX; ++key) {
      if (KeyCodeTable::isKeyboardKey(static_cast<std::uint16_t>(key)) &&
          ::ioctl(fd, UI_SET_KEYBIT, key) < 0) {
        return "UI_SET_KEYBIT";
      }
    }
    return nullptr;
  });
}

UinputVirtualDevices::Result UinputVirtualDevices::createPointer() {
  return create("Tactora pointer", "pointer", pointerProduct, [](int fd) -> const char* {
    for (unsigned type : {EV_KEY, EV_REL}) {
      if (::ioctl(fd, UI_SET_EVBIT, type) < 0) {
        return "UI_SET_EVBIT";
      }
    }
    for (unsigned button : UinputClone::pointerButtons) {
      if (::ioctl(fd, UI_SET_KEYBIT, button) < 0) {
        return "UI_SET_KEYBIT";
      }
    }
    for (unsigned axis : UinputClone::pointerAxes) {
      if (::ioctl(fd, UI_SET_RELBIT, axis) < 0) {
        return "UI_SET_RELBIT";
      }
    }
    return nullptr;
  });
}

}  // namespace tactora::lx
