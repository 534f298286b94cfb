#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>

#include "Platform/RunLoop.h"
#include "Platform/WorkItem.h"

class QLabel;
class QPropertyAnimation;

namespace tactora {

// A transient one-line panel near the top of the screen: rounded, translucent, click-through,
// never focused and never in the task bar or the window switcher. Shown for 3.5 s, then it fades
// out over 0.4 s and closes itself.
class NoticePanel final : public QWidget {
 public:
  static constexpr double shownSeconds = 3.5;
  static constexpr int fadeMilliseconds = 400;
  static constexpr int bottomBelowTopPoints = 80;
  static constexpr int cornerRadiusPoints = 10;
  static constexpr int horizontalMarginPoints = 18;
  static constexpr int verticalMarginPoints = 12;

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

  QString message() const;
  // The running fade, once it has started (tests finish it).
  QPropertyAnimation* fadeAnimation() const { return fade_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void fadeOut();

  platform::RunLoop& mainQueue_;
  QLabel* label_ = nullptr;
  QPropertyAnimation* fade_ = nullptr;
  std::shared_ptr<platform::WorkItem> fadeItem_;
};

}  // namespace tactora
