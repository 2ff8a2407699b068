#pragma once

// Recursive traversals (walkers, rewriters and the visitors built on them) recurse once per tree level,
// through the visitor's own operations. Each level checks how much of the thread's stack is left; when
// too little is, the rest of that level's subtree continues on one helper thread with a large stack of
// its own (hundreds of thousands of levels), which the current thread waits for. A tree too deep even
// for that hands on to a further helper in the same way. The visitor is still used by one thread at a
// time. When no helper thread can be started, the traversal ends with std::runtime_error instead of
// overflowing the stack.

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace Markdown {

namespace TraversalStack {

/// Whether this thread's stack has room for another traversal level and what its operations use.
bool hasRoomForAnotherLevel();

/// Runs `work` on a new thread with a large fresh stack and waits for it; rethrows what it throws.
void runOnFreshStack(const std::function<void()>& work);

} // namespace TraversalStack

/// Runs one level of a recursive traversal, moving to a fresh stack when this thread's is nearly used up.
template <class Work> std::invoke_result_t<Work&> withinTraversalLevel(Work&& work) {
    using Result = std::invoke_result_t<Work&>;
    if (TraversalStack::hasRoomForAnotherLevel()) {
        return work();
    }
    if constexpr (std::is_void_v<Result>) {
        TraversalStack::runOnFreshStack(work);
    } else {
        std::optional<Result> result;
        TraversalStack::runOnFreshStack([&work, &result] { result.emplace(work()); });
        return Result(std::move(*result));
    }
}

} // namespace Markdown
