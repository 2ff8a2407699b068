#include "Markdown/Visitor/TraversalStack.h"

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace Markdown::TraversalStack {

namespace {

// A helper's stack: address space only, pages are used as the traversal reaches them.
constexpr std::size_t helperStackBytes = std::size_t{512} * 1024 * 1024;

// The part of a helper's stack (at its top, where it starts) kept in memory between traversals.
constexpr std::size_t keptHelperStackBytes = std::size_t{16} * 1024 * 1024;

// The stack this thread's helpers run on, mapped at the first deep traversal and kept for the thread's
// life, so that the next deep traversal finds the pages of its first levels in place.
class HelperStack {
public:
    HelperStack() {
        void* mapping = mmap(nullptr, helperStackBytes, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
        if (mapping == MAP_FAILED) {
            return;
        }
        base_ = mapping;
        // A guard page at the low end turns an overrun into a fault instead of a write elsewhere.
        mprotect(base_, static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), PROT_NONE);
    }
    ~HelperStack() {
        if (base_) {
            munmap(base_, helperStackBytes);
        }
    }
    HelperStack(const HelperStack&) = delete;
    HelperStack& operator=(const HelperStack&) = delete;

    void* base() const { return base_; }

    /// Lets the system reclaim the pages a helper used beyond the kept top, without unmapping them.
    void release() const {
        constexpr std::size_t length = helperStackBytes - keptHelperStackBytes;
        if (base_ && madvise(base_, length, MADV_FREE) != 0) {
            madvise(base_, length, MADV_DONTNEED);
        }
    }

private:
    void* base_ = nullptr;
};
// Kept free below the deepest level for the operations a visitor runs there (text wrapping, ICU, the
// C library) and for the sanitizers' larger frames.
constexpr std::uintptr_t reserveBytes = 512 * 1024;

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

std::uintptr_t currentStackAddress() {
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

// The lowest address this thread's stack may grow down to before a level moves to a helper. A thread
// whose stack extent cannot be read is taken to have the reserve once more below where it first asks.
std::uintptr_t lowestUsableAddress() {
    const std::uintptr_t fallback = currentStackAddress() - reserveBytes;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
        return fallback;
    }
    void* base = nullptr;
    std::size_t size = 0;
    const int status = pthread_attr_getstack(&attributes, &base, &size);
    pthread_attr_destroy(&attributes);
    if (status != 0) {
        return fallback;
    }
    return reinterpret_cast<std::uintptr_t>(base) + reserveBytes;
}

} // namespace

bool hasRoomForAnotherLevel() {
    thread_local const std::uintptr_t lowest = lowestUsableAddress();
    return currentStackAddress() > lowest;
}

void runOnFreshStack(const std::function<void()>& work) {
    HelperTask task{&work, nullptr};
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        throw std::runtime_error("Markdown: cannot prepare a thread to continue a deep traversal");
    }
    thread_local const HelperStack stack;
    if (stack.base()) {
        pthread_attr_setstack(&attributes, stack.base(), helperStackBytes);
    } else {
        pthread_attr_setstacksize(&attributes, helperStackBytes);
    }
    pthread_t helper;
    const int status = pthread_create(&helper, &attributes, runHelperTask, &task);
    pthread_attr_destroy(&attributes);
    if (status != 0) {
        throw std::runtime_error(
            "Markdown: the tree is nested too deeply to traverse (no thread to go on, error " +
            std::to_string(status) + ")");
    }
    pthread_join(helper, nullptr);
    stack.release();
    if (task.error) {
        std::rethrow_exception(task.error);
    }
}

} // namespace Markdown::TraversalStack
