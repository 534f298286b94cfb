#include "GestureEngine/DragActivation.h"

#include "GestureEngine/JsonCoding.h"

namespace tactora {

std::string_view toString(DragActivation activation) {
  switch (activation) {
    case DragActivation::disabled:
      return "disabled";
    case DragActivation::fingerRest:
      return "fingerRest";
    case DragActivation::doubleTapHold:
      return "doubleTapHold";
  }
  return "?";
}

std::optional<DragActivation> dragActivationFromRaw(std::string_view raw) {
  for (auto activation : allDragActivations) {
    if (raw == toString(activation)) {
      return activation;
    }
  }
  return std::nullopt;
}

nlohmann::json toJson(DragActivation activation) {
  return std::string(toString(activation));
}

Expected<DragActivation> decodeDragActivation(const nlohmann::json& value) {
  auto text = json::decodeString(value);
  if (!text) {
    return std::move(text).error();
  }
  if (auto activation = dragActivationFromRaw(*text)) {
    return *activation;
  }
  return InputError::dataCorrupted("unknown drag activation \"" + *text +
                                   "\", expected disabled, fingerRest or doubleTapHold");
}

}  // namespace tactora
