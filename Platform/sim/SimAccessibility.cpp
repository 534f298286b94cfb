#include "Platform/sim/SimAccessibility.h"

#include "Platform/sim/SimPermissions.h"

namespace tactora::sim {

namespace {

enum class Role { systemWide, application, window, closeButton };

class SimAXElement : public platform::AXElement {
 public:
  explicit SimAXElement(Role role) : role(role) {}
  const Role role;
};

std::string_view nameOf(const platform::AXElement& element) {
  const auto* simElement = dynamic_cast<const SimAXElement*>(&element);
  if (simElement == nullptr) {
    return "an element of another platform";
  }
  switch (simElement->role) {
    case Role::systemWide:
      return "AXSystemWide";
    case Role::application:
      return "AXFocusedApplication";
    case Role::window:
      return "AXFocusedWindow";
    case Role::closeButton:
      return "AXCloseButton";
  }
  return "";
}

// The attribute that leads from `role` one step down the focus chain, and the step it is.
struct Link {
  Role from;
  std::string_view attribute;
  Role to;
  SimAccessibility::Step step;
};
constexpr Link links[] = {
    {Role::systemWide, "AXFocusedApplication", Role::application,
     SimAccessibility::Step::focusedApplication},
    {Role::application, "AXFocusedWindow", Role::window, SimAccessibility::Step::focusedWindow},
    {Role::window, "AXCloseButton", Role::closeButton, SimAccessibility::Step::closeButton},
};

}  // namespace

SimAccessibility::SimAccessibility(SimPermissions& permissions) : permissions_(permissions) {}

std::shared_ptr<platform::AXElement> SimAccessibility::createSystemWide() {
  return std::make_shared<SimAXElement>(Role::systemWide);
}

platform::AXError SimAccessibility::copyElementAttribute(
    const platform::AXElement& element, std::string_view attribute,
    std::shared_ptr<platform::AXElement>& value) {
  const bool trusted = permissions_.isProcessTrusted();
  calls_.add(std::string(attribute));
  std::lock_guard lock(mutex_);
  if (!trusted) {
    return platform::AXError::apiDisabled;
  }
  const auto* simElement = dynamic_cast<const SimAXElement*>(&element);
  if (simElement == nullptr) {
    return platform::AXError::invalidUIElement;
  }
  for (const Link& link : links) {
    if (link.from != simElement->role || link.attribute != attribute) {
      continue;
    }
    if (const auto failure = failures_.find(link.step); failure != failures_.end()) {
      return failure->second;
    }
    value = std::make_shared<SimAXElement>(link.to);
    return platform::AXError::success;
  }
  return platform::AXError::attributeUnsupported;
}

platform::AXError SimAccessibility::performAction(const platform::AXElement& element,
                                                  std::string_view action) {
  const bool trusted = permissions_.isProcessTrusted();
  calls_.add(std::string(action));
  platform::AXError result;
  std::function<void(const PerformedAction&)> observer;
  {
    std::lock_guard lock(mutex_);
    result = performLocked(element, action, trusted);
    observer = performedObserver_;
  }
  if (observer) {
    observer({std::string(nameOf(element)), std::string(action), result});
  }
  return result;
}

platform::AXError SimAccessibility::performLocked(const platform::AXElement& element,
                                                  std::string_view action, bool trusted) {
  if (!trusted) {
    return platform::AXError::apiDisabled;
  }
  const auto* simElement = dynamic_cast<const SimAXElement*>(&element);
  if (simElement == nullptr) {
    return platform::AXError::invalidUIElement;
  }
  if (simElement->role != Role::closeButton || action != "AXPress") {
    return platform::AXError::actionUnsupported;
  }
  if (const auto failure = failures_.find(Step::press); failure != failures_.end()) {
    return failure->second;
  }
  ++pressCount_;
  return platform::AXError::success;
}

void SimAccessibility::failStep(Step step, platform::AXError error) {
  std::lock_guard lock(mutex_);
  failures_[step] = error;
}

void SimAccessibility::clearFailures() {
  std::lock_guard lock(mutex_);
  failures_.clear();
}

std::vector<std::string> SimAccessibility::calls() const {
  return calls_.records();
}

int SimAccessibility::pressCount() const {
  std::lock_guard lock(mutex_);
  return pressCount_;
}

void SimAccessibility::clearRecords() {
  calls_.clear();
  std::lock_guard lock(mutex_);
  pressCount_ = 0;
}

void SimAccessibility::setPerformedObserver(std::function<void(const PerformedAction&)> observer) {
  std::lock_guard lock(mutex_);
  performedObserver_ = std::move(observer);
}

void SimAccessibility::setKeepsRecords(bool keep) {
  calls_.setKeeps(keep);
}

}  // namespace tactora::sim
