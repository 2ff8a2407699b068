#pragma once
// Work that must run on the thread that owns a piece of text (the GUI thread in an application).

#include <functional>

namespace SyntaxHighlighter {

class MainQueue {
public:
    virtual ~MainQueue() = default;
    // Runs the work later on the owning thread, in the order of the calls; never runs it at once.
    virtual void async(std::function<void()> work) = 0;
};

} // namespace SyntaxHighlighter
