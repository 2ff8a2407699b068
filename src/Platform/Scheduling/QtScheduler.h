#pragma once

#include <Platform/Scheduler.h>

#include <QElapsedTimer>

namespace Platform {

// Scheduler over QTimer on the thread that owns the context (the GUI thread in the application).
class QtScheduler final : public Scheduler {
public:
    QtScheduler();

    void schedule(Duration delay, QObject* context, Task task) override;
    std::unique_ptr<RepeatingTimer> repeat(Duration interval, Duration tolerance, Task task) override;
    Duration now() const override;

private:
    QElapsedTimer m_clock;
};

} // namespace Platform
