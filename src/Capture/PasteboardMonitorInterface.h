#pragma once

namespace App {

// What the shell needs of the pasteboard monitor: starting capture, forced checks around an
// external request to show the history, and the pause state behind the status menu.
class PasteboardMonitor {
public:
    virtual ~PasteboardMonitor() = default;

    virtual void start() = 0;
    // Compares the pasteboard with the last content seen and captures a change; `force` runs the
    // comparison even when the change counter has not moved.
    virtual void check(bool force) = 0;
    virtual bool isPaused() const = 0;
    virtual void setPaused(bool paused) = 0;
};

} // namespace App
