#include "Tactora/shell/QtMainLoop.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "Platform/RepeatingTimer.h"
#include "Platform/WorkItem.h"

namespace tactora::shell {

namespace {

int milliseconds(std::chrono::steady_clock::duration duration) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
  return static_cast<int>(std::clamp<std::int64_t>(ms, 0, std::numeric_limits<int>::max()));
}

std::chrono::steady_clock::duration fromSeconds(double seconds) {
  if (!(seconds > 0)) {
    return {};
  }
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(std::min(seconds, 1e9)));
}

}  // namespace

QtMainLoop::QtMainLoop() : context_(std::make_unique<QObject>()) {}

QtMainLoop::~QtMainLoop() = default;

bool QtMainLoop::onLoopThread() const {
  return QThread::currentThread() == context_->thread();
}

void QtMainLoop::async(std::function<void()> work) {
  // A queued call is posted as an event, which Qt accepts from any thread; it runs after the
  // work already posted.
  QMetaObject::invokeMethod(
      context_.get(),
      [work = std::move(work)] {
        if (work) {
          work();
        }
      },
      Qt::QueuedConnection);
}

void QtMainLoop::asyncAfter(double delaySeconds, std::shared_ptr<platform::WorkItem> item) {
  const Clock::time_point due = Clock::now() + fromSeconds(delaySeconds);
  if (onLoopThread()) {
    startSingleShot(due, std::move(item));
    return;
  }
  // A QTimer belongs to the thread that starts it; the delay still counts from this call.
  async([this, due, item = std::move(item)]() mutable { startSingleShot(due, std::move(item)); });
}

void QtMainLoop::startSingleShot(Clock::time_point due, std::shared_ptr<platform::WorkItem> item) {
  auto* timer = new QTimer(context_.get());
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, item = std::move(item)] {
    timer->deleteLater();
    item->perform();
  });
  timer->start(milliseconds(due - Clock::now()));
}

std::shared_ptr<platform::RepeatingTimer> QtMainLoop::scheduleRepeating(
    double intervalSeconds, std::function<void()> fire) {
  auto timer = std::make_shared<platform::RepeatingTimer>(intervalSeconds, std::move(fire));
  if (onLoopThread()) {
    startRepeating(timer);
  } else {
    async([this, timer] { startRepeating(timer); });
  }
  return timer;
}

void QtMainLoop::startRepeating(std::shared_ptr<platform::RepeatingTimer> timer) {
  auto* qtimer = new QTimer(context_.get());
  qtimer->setTimerType(Qt::PreciseTimer);
  // The owner invalidates the timer without telling the loop; the QTimer notices at its next
  // tick and goes, so an invalidated timer costs at most one more wake-up.
  QObject::connect(qtimer, &QTimer::timeout, qtimer, [qtimer, timer] {
    if (timer->isValid()) {
      timer->fire();
    }
    if (!timer->isValid()) {
      qtimer->stop();
      qtimer->deleteLater();
    }
  });
  qtimer->start(std::max(1, milliseconds(fromSeconds(timer->intervalSeconds()))));
}

void QtMainLoop::addTapSource(const std::shared_ptr<platform::EventTap>& tap) {
  std::lock_guard lock(sourcesMutex_);
  sources_.push_back(tap);
}

void QtMainLoop::removeTapSource(const std::shared_ptr<platform::EventTap>& tap) {
  std::lock_guard lock(sourcesMutex_);
  std::erase_if(sources_, [&tap](const std::weak_ptr<platform::EventTap>& source) {
    auto held = source.lock();
    return !held || held == tap;
  });
}

void QtMainLoop::run() {
  QCoreApplication::exec();
}

void QtMainLoop::stop() {
  async([] { QCoreApplication::exit(0); });
}

int QtMainLoop::activeTimerCount() const {
  const auto timers = context_->findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
  return static_cast<int>(std::count_if(timers.begin(), timers.end(),
                                        [](const QTimer* timer) { return timer->isActive(); }));
}

void QtMainLoop::stopTimers() {
  qDeleteAll(context_->findChildren<QTimer*>(Qt::FindDirectChildrenOnly));
}

}  // namespace tactora::shell
