#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>

#include "Platform/RunLoop.h"
#include "Platform/WorkItem.h"
#include "Tactora/panel/HeadsUpPanel.h"

class QPropertyAnimation;

namespace tactora {

// A transient heads-up panel near the top of the screen. Shown for 3.5 s, then it fades out over
// 0.4 s and closes itself.
class NoticePanel final : public HeadsUpPanel {
 public:
  static constexpr double shownSeconds = 3.5;
  static constexpr int fadeMilliseconds = 400;
  static constexpr int bottomBelowTopPoints = 80;

  // The fade is scheduled on `mainQueue`, so tests run it on virtual time.
  NoticePanel(const QString& message, platform::RunLoop& mainQueue);
  ~NoticePanel() override;
  NoticePanel(const NoticePanel&) = delete;
  NoticePanel& operator=(const NoticePanel&) = delete;

  // Sizes the panel to its text, places it on the primary screen (left where it is when there
  // is none), shows it without activating anything and schedules the fade.
  void present();
  // Where a panel of `size` goes in a screen's available area: centred, its bottom edge 80
  // points below the top.
  static QPoint placement(QSize size, const QRect& availableGeometry);

  QString message() const { return text(); }
  // The running fade, once it has started (tests finish it).
  QPropertyAnimation* fadeAnimation() const { return fade_; }

 private:
  void fadeOut();

  platform::RunLoop& mainQueue_;
  QPropertyAnimation* fade_ = nullptr;
  std::shared_ptr<platform::WorkItem> fadeItem_;
};

}  // namespace tactora
