#pragma once

#include "Platform/FocusedElementLocator.h"

#include <chrono>

namespace Platform::X11 {

// The caret of the focused field over AT-SPI (the accessibility bus, through Qt DBus), falling back to
// the focused field's frame and then to the frame of the active window, read from the X server.
// AT-SPI and X11 both use the screen's device pixels with the origin at the top-left.
class X11FocusedElementLocator : public FocusedElementLocator {
public:
    // The longest the accessibility tree may be searched before the window frame is answered.
    void setBudget(std::chrono::milliseconds budget) { m_budget = budget; }

    QFuture<std::optional<QRect>> focusedInputFrame() override;

    // The work of focusedInputFrame(), on the calling thread.
    static std::optional<QRect> locate(std::chrono::milliseconds budget);

private:
    std::chrono::milliseconds m_budget{400};
};

} // namespace Platform::X11
