#pragma once

// Recursive traversals (walkers, rewriters and the visitors built on them) recurse once per tree level. To
// stay safe on trees nested tens of thousands of levels deep, each thread runs at most
// `traversalLevelsPerStack` nested levels on its own stack; the next level continues on a fresh thread with
// a stack of its own, which the current thread waits for. The visitor is still used by one thread at a time,
// but a pathologically deep tree is visited partly on such helper threads. When no helper thread can be
// started, the traversal ends with std::runtime_error instead of overflowing the stack.

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace Markdown {

inline constexpr std::int64_t traversalLevelsPerStack = 64;

namespace TraversalStack {

/// Runs `work` on a new thread with a fresh stack and waits for it; rethrows what it throws.
void runOnFreshStack(const std::function<void()>& work);

/// The number of traversal levels open on this thread's stack.
std::int64_t& levelsOnThisThread();

} // namespace TraversalStack

/// Counts one open traversal level on this thread for as long as it lives.
class TraversalLevel {
public:
    TraversalLevel() { ++TraversalStack::levelsOnThisThread(); }
    ~TraversalLevel() { --TraversalStack::levelsOnThisThread(); }
    TraversalLevel(const TraversalLevel&) = delete;
    TraversalLevel& operator=(const TraversalLevel&) = delete;
};

/// Runs one level of a recursive traversal, moving to a fresh stack when this thread's share is used up.
template <class Work> std::invoke_result_t<Work&> withinTraversalLevel(Work&& work) {
    using Result = std::invoke_result_t<Work&>;
    auto runHere = [&work]() -> Result {
        TraversalLevel level;
        return work();
    };
    if (TraversalStack::levelsOnThisThread() < traversalLevelsPerStack) {
        return runHere();
    }
    if constexpr (std::is_void_v<Result>) {
        TraversalStack::runOnFreshStack(runHere);
    } else {
        std::optional<Result> result;
        TraversalStack::runOnFreshStack([&runHere, &result] { result.emplace(runHere()); });
        return Result(std::move(*result));
    }
}

} // namespace Markdown
