#include "SerialWorker.h"

namespace SyntaxHighlighter {

SerialWorker::SerialWorker() : m_thread([this] { run(); }) {}

SerialWorker::~SerialWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_one();
    m_thread.join();
}

void SerialWorker::post(std::function<void()> job) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void SerialWorker::run() {
    while (true) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

} // namespace SyntaxHighlighter
