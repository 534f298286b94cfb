#include "Tactora/input/ScrollSuppressionMode.h"

namespace tactora {

std::string_view toString(ScrollSuppressionMode mode) {
  switch (mode) {
    case ScrollSuppressionMode::none:
      return "none";
    case ScrollSuppressionMode::all:
      return "all";
    case ScrollSuppressionMode::horizontalOnly:
      return "horizontalOnly";
  }
  return "none";
}

}  // namespace tactora
