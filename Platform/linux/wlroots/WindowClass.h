#pragma once

#include <string>

namespace tactora::lx {

// How a compositor names the focused window's application: a Wayland app_id as `windowClass`
// (with no instance), or an X window's WM_CLASS class and instance.
struct WindowClass {
  std::string instance;
  std::string windowClass;
  bool operator==(const WindowClass&) const = default;
};

}  // namespace tactora::lx
