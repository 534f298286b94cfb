#include "Platform/linux/input/UinputClone.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "Platform/linux/input/DeviceFacts.h"

namespace tactora::lx {

UinputClone::Result UinputClone::create(const libevdev* source, const std::string& physSuffix) {
  platform::UniqueFd fd(::open(uinputPath, O_WRONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    return SystemError::last("open /dev/uinput");
  }
  // Every type but EV_ABS, with every code the mouse has: the clone moves, clicks and scrolls
  // like the mouse, with no touch surface for other programs to misread.
  for (unsigned type = 1; type < EV_CNT; ++type) {
    if (type == EV_ABS || !libevdev_has_event_type(source, type)) {
      continue;
    }
    if (::ioctl(fd.get(), UI_SET_EVBIT, type) < 0) {
      return SystemError::last("UI_SET_EVBIT");
    }
    const int max = libevdev_event_type_get_max(type);
    unsigned long request = 0;
    switch (type) {
      case EV_KEY:
        request = UI_SET_KEYBIT;
        break;
      case EV_REL:
        request = UI_SET_RELBIT;
        break;
      case EV_MSC:
        request = UI_SET_MSCBIT;
        break;
      default:
        continue;
    }
    for (int code = 0; code <= max; ++code) {
      if (libevdev_has_event_code(source, type, static_cast<unsigned>(code)) &&
          ::ioctl(fd.get(), request, code) < 0) {
        return SystemError::last("uinput code bit");
      }
    }
  }
  for (unsigned type : {EV_KEY, EV_REL}) {
    if (::ioctl(fd.get(), UI_SET_EVBIT, type) < 0) {
      return SystemError::last("UI_SET_EVBIT");
    }
  }
  for (unsigned button : pointerButtons) {
    if (::ioctl(fd.get(), UI_SET_KEYBIT, button) < 0) {
      return SystemError::last("UI_SET_KEYBIT");
    }
  }
  for (unsigned axis : pointerAxes) {
    if (::ioctl(fd.get(), UI_SET_RELBIT, axis) < 0) {
      return SystemError::last("UI_SET_RELBIT");
    }
  }
  for (unsigned property = 0; property < INPUT_PROP_CNT; ++property) {
    if (property != INPUT_PROP_DIRECT && libevdev_has_property(source, property)) {
      ::ioctl(fd.get(), UI_SET_PROPBIT, property);
    }
  }
  const std::string phys = std::string(DeviceFacts::ownPhysMarker) + physSuffix;
  if (::ioctl(fd.get(), UI_SET_PHYS, phys.c_str()) < 0) {
    return SystemError::last("UI_SET_PHYS");
  }
  uinput_setup setup{};
  setup.id.bustype = static_cast<__u16>(libevdev_get_id_bustype(source));
  setup.id.vendor = static_cast<__u16>(libevdev_get_id_vendor(source));
  setup.id.product = static_cast<__u16>(libevdev_get_id_product(source));
  setup.id.version = static_cast<__u16>(libevdev_get_id_version(source));
  const char* name = libevdev_get_name(source);
  std::strncpy(setup.name, name != nullptr ? name : "Magic Mouse", UINPUT_MAX_NAME_SIZE - 1);
  if (::ioctl(fd.get(), UI_DEV_SETUP, &setup) < 0) {
    return SystemError::last("UI_DEV_SETUP");
  }
  if (::ioctl(fd.get(), UI_DEV_CREATE) < 0) {
    return SystemError::last("UI_DEV_CREATE");
  }
  return fd;
}

}  // namespace tactora::lx
