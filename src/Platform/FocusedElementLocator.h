#pragma once

#include <QFuture>
#include <QRect>

#include <optional>

namespace Platform {

// Where the text caret of the focused input field is, in screen pixels with the origin at the
// top-left of the screen.
class FocusedElementLocator {
public:
    virtual ~FocusedElementLocator() = default;

    // The caret's bounds, else the focused field's frame, else the focused window's frame; nothing
    // when no window has the focus. Runs off the calling thread: the answer comes from other
    // processes, which may be slow to reply.
    virtual QFuture<std::optional<QRect>> focusedInputFrame() = 0;
};

} // namespace Platform
