#pragma once

#include <string>

#include "GestureEngine/InputError.h"

namespace tactora {

// A profile or binding that lenient decoding left out of the configuration, for `tactora config
// check`: where it stood in the document and why it could not be read.
struct DroppedElement {
  enum class Kind { profile, binding };

  Kind kind = Kind::binding;
  std::string path;  // "profiles[0].bindings[3]"
  InputError error;  // relative to the element: "action: expected an object, found a string"

  // "profiles[0].bindings[3]: binding dropped: action: expected an object, found a string"
  std::string description() const;
};

}  // namespace tactora
