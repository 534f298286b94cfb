#include "Platform/linux/platform/LinuxAccessibility.h"

#include <utility>

namespace tactora::lx {

namespace {

// Where an element stands in the chain from the system-wide element to the close button.
enum class Step { systemWide, application, window, closeButton };

class ActiveWindowElement final : public platform::AXElement {
 public:
  explicit ActiveWindowElement(Step step) : step(step) {}
  const Step step;
};

// The attribute that leads from `step` to the next one, and that next step.
bool follows(Step step, std::string_view attribute, Step& next) {
  switch (step) {
    case Step::systemWide:
      next = Step::application;
      return attribute == "AXFocusedApplication";
    case Step::application:
      next = Step::window;
      return attribute == "AXFocusedWindow";
    case Step::window:
      next = Step::closeButton;
      return attribute == "AXCloseButton";
    case Step::closeButton:
      return false;
  }
  return false;
}

}  // namespace

LinuxAccessibility::LinuxAccessibility(std::function<bool()> closeActiveWindow)
    : closeActiveWindow_(std::move(closeActiveWindow)) {}

std::shared_ptr<platform::AXElement> LinuxAccessibility::createSystemWide() {
  return std::make_shared<ActiveWindowElement>(Step::systemWide);
}

platform::AXError LinuxAccessibility::copyElementAttribute(
    const platform::AXElement& element, std::string_view attribute,
    std::shared_ptr<platform::AXElement>& value) {
  value.reset();
  const auto* ours = dynamic_cast<const ActiveWindowElement*>(&element);
  if (ours == nullptr) {
    return platform::AXError::illegalArgument;
  }
  if (!closeActiveWindow_) {
    return platform::AXError::cannotComplete;
  }
  Step next = Step::systemWide;
  if (!follows(ours->step, attribute, next)) {
    return platform::AXError::attributeUnsupported;
  }
  value = std::make_shared<ActiveWindowElement>(next);
  return platform::AXError::success;
}

platform::AXError LinuxAccessibility::performAction(const platform::AXElement& element,
                                                    std::string_view action) {
  const auto* ours = dynamic_cast<const ActiveWindowElement*>(&element);
  if (ours == nullptr) {
    return platform::AXError::illegalArgument;
  }
  if (ours->step != Step::closeButton || action != "AXPress") {
    return platform::AXError::actionUnsupported;
  }
  if (!closeActiveWindow_) {
    return platform::AXError::cannotComplete;
  }
  return closeActiveWindow_() ? platform::AXError::success : platform::AXError::cannotComplete;
}

}  // namespace tactora::lx
