#pragma once
// One background thread that runs jobs one after another in the order they were queued.

#include <functional>
#include <memory>
#include <thread>

namespace SyntaxHighlighter {

class SerialWorker {
public:
    SerialWorker();
    // Drops the jobs not yet started and returns at once: a job already running finishes on the
    // worker's thread, which then ends. Such a job must hold what it uses itself.
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    void post(std::function<void()> job);

private:
    struct State;
    // Shared with the thread, which may outlive the worker by the rest of its current job.
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace SyntaxHighlighter
