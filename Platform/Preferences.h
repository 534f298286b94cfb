#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tactora::platform {

// The application's user defaults (strings) and read-only access to other components' preference
// values.
class Preferences {
 public:
  virtual ~Preferences() = default;

  virtual std::optional<std::string> string(const std::string& key) = 0;
  virtual void setString(const std::string& key, const std::string& value) = 0;
  virtual void removeObject(const std::string& key) = 0;

  // An integer preference of another application or driver ("MouseTwoFingerDoubleTapGesture" of
  // "com.apple.driver.AppleBluetoothMultitouch.mouse"); empty when unset or not an integer.
  virtual std::optional<std::int64_t> foreignInteger(const std::string& key,
                                                     const std::string& applicationID) = 0;
};

}  // namespace tactora::platform
