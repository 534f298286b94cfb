#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace tactora::platform {

// Results of Accessibility calls; anything but `success` is a failure.
enum class AXError : std::int32_t {
  success = 0,
  failure = -25200,
  illegalArgument = -25201,
  invalidUIElement = -25202,
  cannotComplete = -25204,
  attributeUnsupported = -25205,
  actionUnsupported = -25206,
  apiDisabled = -25211,  // the process is not trusted
  noValue = -25212,
};

// An element of the Accessibility tree (the system-wide element, an application, a window, a
// button). Opaque: only the backend that made it can use it.
class AXElement {
 public:
  virtual ~AXElement() = default;
};

// The Accessibility interface: read element-valued attributes ("AXFocusedApplication",
// "AXFocusedWindow", "AXCloseButton") and perform actions ("AXPress").
class Accessibility {
 public:
  virtual ~Accessibility() = default;
  virtual std::shared_ptr<AXElement> createSystemWide() = 0;
  // On success `value` holds the element; on failure it is left null.
  virtual AXError copyElementAttribute(const AXElement& element, std::string_view attribute,
                                       std::shared_ptr<AXElement>& value) = 0;
  virtual AXError performAction(const AXElement& element, std::string_view action) = 0;
};

}  // namespace tactora::platform
