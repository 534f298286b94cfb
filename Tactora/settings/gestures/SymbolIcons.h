#pragma once

#include <QIcon>
#include <QPalette>

namespace tactora {

// The small symbols of the settings tabs: the desktop icon theme's icon when it has one, else a
// drawing of our own in the palette's text colour, so no button is ever blank.
class SymbolIcons {
 public:
  enum class Symbol { plus, minus, share, info, warning, hand, plusCircle, undo, trash };

  SymbolIcons() = delete;

  static QIcon icon(Symbol symbol, const QPalette& palette);
  // Only our drawing, never the theme's (for pictures that must not depend on the machine).
  static QIcon drawn(Symbol symbol, const QPalette& palette);
};

}  // namespace tactora
