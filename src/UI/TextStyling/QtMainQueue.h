#pragma once
// The highlighter's main queue on Qt: work is posted to the application object's thread.

#include <SyntaxHighlighter/MainQueue.h>

namespace TextStyling {

class QtMainQueue final : public SyntaxHighlighter::MainQueue {
public:
    // Queued behind the events already waiting; dropped when there is no application object.
    void async(std::function<void()> work) override;
};

} // namespace TextStyling
