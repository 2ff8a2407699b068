#include "FakeScheduler.h"

#include <algorithm>

namespace Platform {

class FakeRepeatingTimer final : public RepeatingTimer {
public:
    explicit FakeRepeatingTimer(std::shared_ptr<bool> alive) : m_alive(std::move(alive)) {}
    ~FakeRepeatingTimer() override { stop(); }
    void stop() override { *m_alive = false; }
    bool isActive() const override { return *m_alive; }

private:
    std::shared_ptr<bool> m_alive;
};

void FakeScheduler::schedule(Duration delay, QObject* context, Task task) {
    m_entries.push_back(
        {m_now + delay, m_nextOrder++, context, context != nullptr, std::move(task), nullptr, {}});
}

std::unique_ptr<RepeatingTimer> FakeScheduler::repeat(Duration interval, Duration, Task task) {
    auto alive = std::make_shared<bool>(true);
    m_entries.push_back({m_now + interval, m_nextOrder++, nullptr, false, std::move(task), alive, interval});
    return std::make_unique<FakeRepeatingTimer>(alive);
}

void FakeScheduler::advance(Duration by) {
    const Duration end = m_now + by;
    for (;;) {
        std::erase_if(m_entries, [](const Entry& e) { return e.alive && !*e.alive; });
        auto next = std::min_element(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        if (next == m_entries.end() || next->due > end)
            break;
        Entry entry = std::move(*next);
        m_entries.erase(next);
        m_now = entry.due;
        if (entry.alive) {
            m_entries.push_back({m_now + entry.interval, m_nextOrder++, nullptr, false, entry.task,
                                 entry.alive, entry.interval});
            entry.task();
        } else if (!entry.hasContext || entry.context) {
            entry.task();
        }
    }
    m_now = end;
}

int FakeScheduler::activeRepeatingTimers() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [](const Entry& e) { return e.alive && *e.alive; }));
}

std::vector<Scheduler::Duration> FakeScheduler::pendingDelays() const {
    std::vector<Duration> delays;
    for (const Entry& e : m_entries)
        if (!e.alive)
            delays.push_back(e.due - m_now);
    std::sort(delays.begin(), delays.end());
    return delays;
}

} // namespace Platform
