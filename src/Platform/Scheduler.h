#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace Platform {

// A repeating timer handed out by a Scheduler. It stops when stopped or destroyed.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// One-shot delays and repeating timers on the GUI thread. The application uses QtScheduler; tests
// drive a manual clock that only moves when told to.
class Scheduler {
public:
    using Task = std::function<void()>;
    using Duration = std::chrono::milliseconds;

    virtual ~Scheduler() = default;

    // Runs `task` once, `delay` from now, unless `context` has been destroyed by then.
    virtual void schedule(Duration delay, QObject* context, Task task) = 0;
    // Runs `task` every `interval`; `tolerance` allows the system to coalesce wake-ups.
    virtual std::unique_ptr<RepeatingTimer> repeat(Duration interval, Duration tolerance, Task task) = 0;
    // Monotonic time, for callers that need to "take the time anew".
    virtual Duration now() const = 0;
};

} // namespace Platform
