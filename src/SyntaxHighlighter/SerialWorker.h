#pragma once
// One background thread that runs jobs one after another in the order they were queued.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace SyntaxHighlighter {

class SerialWorker {
public:
    SerialWorker();
    // Drops the jobs not yet started and waits for the running one.
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    void post(std::function<void()> job);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace SyntaxHighlighter
