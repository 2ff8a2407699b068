#pragma once

#include <QFuture>
#include <QRect>

#include <optional>

namespace Platform {

// Where the text caret of the focused input field is, in the X screen's device pixels with the
// origin at its top-left (not Qt's coordinates, which a scale factor divides).
class FocusedElementLocator {
public:
    virtual ~FocusedElementLocator() = default;

    // The caret's bounds, else the focused field's frame, else the focused window's frame; nothing
    // when no window has the focus. Runs off the calling thread: the answer comes from other
    // processes, which may be slow to reply.
    virtual QFuture<std::optional<QRect>> focusedInputFrame() = 0;
};

} // namespace Platform
