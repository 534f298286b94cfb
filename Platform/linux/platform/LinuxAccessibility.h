#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "Platform/Accessibility.h"

namespace tactora::lx {

// The few Accessibility steps the application takes, on a Linux desktop: system-wide element →
// focused application → focused window → its close button, pressed. The elements stand for
// "the window manager's active window"; pressing the close button asks the window manager to
// close it. Without a way to close windows every step after the system-wide element fails, so
// callers take their own fallback.
class LinuxAccessibility final : public platform::Accessibility {
 public:
  // `closeActiveWindow` may be empty (no X server, or the window manager cannot close windows);
  // it returns false when nothing was closed.
  explicit LinuxAccessibility(std::function<bool()> closeActiveWindow);

  std::shared_ptr<platform::AXElement> createSystemWide() override;
  platform::AXError copyElementAttribute(const platform::AXElement& element,
                                         std::string_view attribute,
                                         std::shared_ptr<platform::AXElement>& value) override;
  platform::AXError performAction(const platform::AXElement& element,
                                  std::string_view action) override;

 private:
  std::function<bool()> closeActiveWindow_;
};

}  // namespace tactora::lx
