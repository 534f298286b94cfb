#pragma once

#include <QTimer>
#include <QWidget>

#include "Tactora/settings/SurfaceSnapshot.h"

class QLabel;

namespace tactora::settings {

class SurfaceFrameSource;

// The mouse's touch surface drawn to scale, front edge at the top, with the right-side tap zone
// shaded and the live contacts as they touch; beside it the contact and frame counts and the
// last gesture. It polls its frame source at display rate only while it is visible.
class SurfaceView final : public QWidget {
 public:
  static constexpr int drawingHeight = 150;
  static constexpr int refreshIntervalMs = 33;
  // Contacts are drawn as discs of a fingertip's size.
  static constexpr float fingertipDiameterMM = 9.0f;

  SurfaceView(SurfaceFrameSource* frames, QWidget* parent);

  void setZone(float minX, float minY);
  float zoneMinX() const { return zoneMinX_; }
  float zoneMinY() const { return zoneMinY_; }
  const SurfaceSnapshot& snapshot() const { return snapshot_; }

  // Takes the newest frame now (the timer does this while the view is shown).
  void poll();
  // The surface's outline in widget coordinates.
  QRectF surfaceRect() const;
  // The shaded zone in widget coordinates.
  QRectF zoneRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void updateTexts();

  SurfaceFrameSource* frames_;
  SurfaceSnapshot snapshot_;
  float zoneMinX_ = 0;
  float zoneMinY_ = 0;
  QTimer refresh_;
  QLabel* contacts_;
  QLabel* frameCount_;
  QLabel* lastGesture_;
  QLabel* zoneText_;
};

}  // namespace tactora::settings
