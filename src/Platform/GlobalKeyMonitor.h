#pragma once

#include <cstdint>
#include <functional>

namespace Platform {

// A key released anywhere in the session.
struct KeyRelease {
    // The server's keycode and the keysym at level 0 of the current layout group.
    std::uint32_t keycode = 0;
    std::uint32_t keysym = 0;
    // A Ctrl key was held when the key was released.
    bool controlHeld = false;
    // The release of the V of a Ctrl+V (other modifiers held as well do not matter).
    bool isPasteChord = false;
};

// Watches key releases of the whole session without grabbing any key.
class GlobalKeyMonitor {
public:
    using Handler = std::function<void(const KeyRelease&)>;

    virtual ~GlobalKeyMonitor() = default;

    // Starts delivering releases to `handler` on the calling thread's event loop, replacing an
    // earlier handler. False when the session offers no way to watch keys.
    virtual bool start(Handler handler) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace Platform
