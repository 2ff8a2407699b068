#include "SerialWorker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace SyntaxHighlighter {

namespace {

// Threads of destroyed workers that may still be finishing a job. Each is joined once it is done,
// at the latest when the process exits, so that no job still runs while the libraries it uses are
// torn down.
class RetiredThreads {
public:
    static RetiredThreads& instance() {
        static RetiredThreads retired;
        return retired;
    }

    ~RetiredThreads() {
        for (Entry& entry : m_entries)
            entry.thread.join();
    }

    void add(std::thread thread, std::shared_ptr<const std::atomic<bool>> finished) {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_entries, [](Entry& entry) {
            if (!entry.finished->load())
                return false;
            entry.thread.join();
            return true;
        });
        m_entries.push_back({std::move(thread), std::move(finished)});
    }

private:
    struct Entry {
        std::thread thread;
        std::shared_ptr<const std::atomic<bool>> finished;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

} // namespace

struct SerialWorker::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    std::atomic<bool> finished = false;

    void run() {
        while (true) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !jobs.empty(); });
                if (stopping)
                    break;
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            job();
        }
        finished = true;
    }
};

SerialWorker::SerialWorker()
    : m_state(std::make_shared<State>()), m_thread([state = m_state] { state->run(); }) {}

SerialWorker::~SerialWorker() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        dropped.swap(m_state->jobs);
    }
    m_state->wake.notify_one();
    RetiredThreads::instance().add(std::move(m_thread),
                                   std::shared_ptr<const std::atomic<bool>>(m_state, &m_state->finished));
}

void SerialWorker::post(std::function<void()> job) {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->jobs.push_back(std::move(job));
    }
    m_state->wake.notify_one();
}

} // namespace SyntaxHighlighter
