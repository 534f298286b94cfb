#include "GestureEngine/DragState.h"

namespace tactora {

std::string_view toString(DragState state) {
  switch (state) {
    case DragState::idle:
      return "idle";
    case DragState::armed:
      return "armed";
    case DragState::armedWithPending:
      return "armedWithPending";
    case DragState::dragging:
      return "dragging";
    case DragState::draggingWithScroll:
      return "draggingWithScroll";
  }
  return "?";
}

}  // namespace tactora
