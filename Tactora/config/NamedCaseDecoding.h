#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "GestureEngine/Expected.h"
#include "GestureEngine/JsonCoding.h"

namespace tactora {

// Decodes an enumeration written as an object with exactly one member named after its case (a
// gesture, an action) and, when that fails because of the member names, says which: `unknown
// action "leftclick"` rather than only that the count of keys was wrong. Hand-edited files get
// the case's capitalisation wrong more often than anything else.
template <class T, class Decode, class Case, std::size_t N>
Expected<T> decodeNamingUnknownCase(const nlohmann::json& value, Decode decode,
                                    const std::array<Case, N>& cases, std::string_view what,
                                    std::string_view example) {
  Expected<T> decoded = decode(value);
  if (decoded || !value.is_object() || !decoded.error().path.empty()) {
    return decoded;
  }
  std::vector<std::string> unknown;
  std::size_t known = 0;
  for (const auto& item : value.items()) {
    const std::string& key = item.key();
    const bool isCase =
        std::any_of(cases.begin(), cases.end(), [&](Case kind) { return caseName(kind) == key; });
    if (isCase) {
      ++known;
    } else {
      unknown.push_back(json::dump(nlohmann::json(key)));
    }
  }
  const std::string name(what);
  if (known == 0 && unknown.size() == 1) {
    return InputError::dataCorrupted("unknown " + name + " " + unknown.front());
  }
  if (known == 0 && unknown.empty()) {
    return InputError::dataCorrupted("empty " + name + " object, expected one member such as " +
                                     std::string(example));
  }
  if (known > 1) {
    return InputError::dataCorrupted("more than one " + name + " in one object");
  }
  return decoded;
}

}  // namespace tactora
