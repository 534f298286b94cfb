#include "GestureEngine/DecodingError.h"

#include <utility>

namespace tactora {

DecodingError DecodingError::typeMismatch(std::string message) {
  return DecodingError{Kind::typeMismatch, {}, std::move(message)};
}

DecodingError DecodingError::keyNotFound(std::string_view key) {
  return DecodingError{Kind::keyNotFound, {}, "missing key \"" + std::string(key) + "\""};
}

DecodingError DecodingError::dataCorrupted(std::string message) {
  return DecodingError{Kind::dataCorrupted, {}, std::move(message)};
}

namespace {

std::string joined(std::string head, const std::string& tail) {
  if (tail.empty()) {
    return head;
  }
  if (tail.front() != '[') {
    head += '.';
  }
  return head + tail;
}

}  // namespace

DecodingError DecodingError::at(std::string_view key) && {
  path = joined(std::string(key), path);
  return std::move(*this);
}

DecodingError DecodingError::at(std::size_t index) && {
  path = joined("[" + std::to_string(index) + "]", path);
  return std::move(*this);
}

std::string DecodingError::description() const {
  return path.empty() ? message : path + ": " + message;
}

}  // namespace tactora
