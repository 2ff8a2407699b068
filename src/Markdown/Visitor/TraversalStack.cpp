#include "Markdown/Visitor/TraversalStack.h"

#include <pthread.h>

#include <stdexcept>
#include <string>

namespace Markdown::TraversalStack {

namespace {

// Room for the traversal levels of one share plus whatever the visitor's own operations put on the stack.
constexpr std::size_t helperStackBytes = 4u * 1024u * 1024u;

struct HelperTask {
    const std::function<void()>* work;
    std::exception_ptr error;
};

void* runHelperTask(void* argument) {
    auto* task = static_cast<HelperTask*>(argument);
    try {
        (*task->work)();
    } catch (...) {
        task->error = std::current_exception();
    }
    return nullptr;
}

} // namespace

std::int64_t& levelsOnThisThread() {
    thread_local std::int64_t levels = 0;
    return levels;
}

void runOnFreshStack(const std::function<void()>& work) {
    HelperTask task{&work, nullptr};
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        throw std::runtime_error("Markdown: cannot prepare a thread to continue a deep traversal");
    }
    pthread_attr_setstacksize(&attributes, helperStackBytes);
    pthread_t helper;
    const int status = pthread_create(&helper, &attributes, runHelperTask, &task);
    pthread_attr_destroy(&attributes);
    if (status != 0) {
        throw std::runtime_error("Markdown: the tree is nested too deeply to traverse (no thread for level " +
                                 std::to_string(levelsOnThisThread()) + " on, error " +
                                 std::to_string(status) + ")");
    }
    pthread_join(helper, nullptr);
    if (task.error) {
        std::rethrow_exception(task.error);
    }
}

} // namespace Markdown::TraversalStack
