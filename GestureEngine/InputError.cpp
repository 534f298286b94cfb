#include "GestureEngine/InputError.h"

#include <utility>

namespace tactora {

InputError InputError::typeMismatch(std::string message) {
  return InputError{Kind::typeMismatch, {}, std::move(message), {}, 0};
}

InputError InputError::keyNotFound(std::string_view key) {
  return InputError{Kind::keyNotFound, {}, "missing key \"" + std::string(key) + "\"", {}, 0};
}

InputError InputError::dataCorrupted(std::string message) {
  return InputError{Kind::dataCorrupted, {}, std::move(message), {}, 0};
}

InputError InputError::fileAccess(std::string file, std::string message) {
  return InputError{Kind::fileAccess, {}, std::move(message), std::move(file), 0};
}

InputError InputError::atLine(std::string file, std::size_t line, std::string message) {
  return InputError{Kind::dataCorrupted, {}, std::move(message), std::move(file), line};
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

InputError InputError::at(std::string_view key) && {
  path = joined(std::string(key), path);
  return std::move(*this);
}

InputError InputError::at(std::size_t index) && {
  path = joined("[" + std::to_string(index) + "]", path);
  return std::move(*this);
}

InputError InputError::in(std::string name) && {
  file = std::move(name);
  return std::move(*this);
}

std::string InputError::description() const {
  std::string where = file;
  if (!where.empty() && line > 0) {
    where += ":" + std::to_string(line);
  }
  if (!path.empty()) {
    where += (where.empty() ? "" : ": ") + path;
  }
  return where.empty() ? message : where + ": " + message;
}

}  // namespace tactora
