#pragma once

#include <Platform/Scheduler.h>

#include <QPointer>

#include <memory>
#include <vector>

namespace Platform {

// A manual clock: nothing runs until `advance` moves time forward. Tasks run in order of due
// time (then of scheduling), each with `now()` set to its due time; tasks scheduled while
// advancing run in the same call when they fall due within it.
class FakeScheduler final : public Scheduler {
public:
    void schedule(Duration delay, QObject* context, Task task) override;
    std::unique_ptr<RepeatingTimer> repeat(Duration interval, Duration tolerance, Task task) override;
    Duration now() const override { return m_now; }

    void advance(Duration by);
    // The delays of one-shot tasks still waiting, relative to now.
    std::vector<Duration> pendingDelays() const;
    // How many repeating timers run.
    int activeRepeatingTimers() const;

private:
    struct Entry {
        Duration due;
        quint64 order;
        QPointer<QObject> context;
        bool hasContext;
        Task task;
        std::shared_ptr<bool> alive; // repeating timers: cleared when the timer stops
        Duration interval{0};
    };
    friend class FakeRepeatingTimer;

    Duration m_now{0};
    quint64 m_nextOrder = 0;
    std::vector<Entry> m_entries;
};

} // namespace Platform
