#include "GestureEngine/Direction.h"

#include "GestureEngine/JsonCoding.h"

namespace tactora {

std::string_view toString(Direction direction) {
  switch (direction) {
    case Direction::left:
      return "left";
    case Direction::right:
      return "right";
    case Direction::up:
      return "up";
    case Direction::down:
      return "down";
  }
  return "?";
}

std::optional<Direction> directionFromRaw(std::string_view raw) {
  for (auto direction : {Direction::left, Direction::right, Direction::up, Direction::down}) {
    if (raw == toString(direction)) {
      return direction;
    }
  }
  return std::nullopt;
}

nlohmann::json toJson(Direction direction) {
  return std::string(toString(direction));
}

Expected<Direction> decodeDirection(const nlohmann::json& value) {
  auto text = json::decodeString(value);
  if (!text) {
    return std::move(text).error();
  }
  if (auto direction = directionFromRaw(*text)) {
    return *direction;
  }
  return InputError::dataCorrupted("unknown direction \"" + *text +
                                   "\", expected left, right, up or down");
}

}  // namespace tactora
