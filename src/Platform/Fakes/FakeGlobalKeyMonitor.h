#pragma once

#include "Platform/GlobalKeyMonitor.h"

namespace Platform {

// Key releases injected by the test reach the handler while the monitor runs.
class FakeGlobalKeyMonitor : public GlobalKeyMonitor {
public:
    bool startSucceeds = true;
    int starts = 0;

    bool start(Handler handler) override {
        ++starts;
        if (!startSucceeds)
            return false;
        m_handler = std::move(handler);
        return true;
    }
    void stop() override { m_handler = nullptr; }
    bool isRunning() const override { return static_cast<bool>(m_handler); }

    void inject(const KeyRelease& release) {
        if (const Handler handler = m_handler)
            handler(release);
    }
    // The release of V with Ctrl held.
    void injectPaste() { inject({0, 0x76, true, true}); }

private:
    Handler m_handler;
};

} // namespace Platform
