#include "QtScheduler.h"

#include <QTimer>

namespace Platform {

namespace {
class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(Scheduler::Duration interval, Scheduler::Duration tolerance, Scheduler::Task task) {
        // QTimer has no tolerance value; a coarse timer may fire within about 5% of its interval,
        // which stays inside any tolerance the callers ask for.
        m_timer.setTimerType(tolerance.count() > 0 ? Qt::CoarseTimer : Qt::PreciseTimer);
        m_timer.setInterval(interval);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(task));
        m_timer.start();
    }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};
} // namespace

QtScheduler::QtScheduler() {
    m_clock.start();
}

void QtScheduler::schedule(Duration delay, QObject* context, Task task) {
    QTimer::singleShot(delay, Qt::PreciseTimer, context, std::move(task));
}

std::unique_ptr<RepeatingTimer> QtScheduler::repeat(Duration interval, Duration tolerance, Task task) {
    return std::make_unique<QtRepeatingTimer>(interval, tolerance, std::move(task));
}

Scheduler::Duration QtScheduler::now() const {
    return Duration(m_clock.elapsed());
}

} // namespace Platform
