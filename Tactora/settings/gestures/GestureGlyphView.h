#pragma once

#include <QWidget>

#include "GestureEngine/GestureEvent.h"

namespace tactora {

// Paints a gesture's glyph (the mouse with its fingers and motion) at 26 × 36, in the palette's
// text colour for the body and its highlight colour for the fingers, so it reads on light and
// dark themes alike. Decoration only: it takes no focus and has no accessible role of its own.
class GestureGlyphView : public QWidget {
 public:
  explicit GestureGlyphView(const GestureEvent& gesture, QWidget* parent = nullptr);

  const GestureEvent& gesture() const { return gesture_; }

  // Draws the glyph of `gesture` into `painter`, top left at the origin, in `palette`'s colours.
  static void paint(QPainter& painter, const GestureEvent& gesture, const QPalette& palette);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  GestureEvent gesture_;
};

}  // namespace tactora
