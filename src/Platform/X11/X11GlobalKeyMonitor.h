#pragma once

#include "Platform/GlobalKeyMonitor.h"
#include "Platform/X11/Xcb.h"

#include <QObject>

#include <memory>
#include <set>

class QSocketNotifier;

namespace Platform::X11 {

class KeyboardLayout;

// Key releases from XInput2 raw events on the root window: every key of the session is seen and
// nothing is grabbed. Ctrl is tracked from the raw events themselves.
class X11GlobalKeyMonitor : public QObject, public GlobalKeyMonitor {
    Q_OBJECT
public:
    explicit X11GlobalKeyMonitor(QObject* parent = nullptr);
    ~X11GlobalKeyMonitor() override;

    bool start(Handler handler) override;
    void stop() override;
    bool isRunning() const override { return m_x != nullptr; }

private:
    void takeEvents();

    std::unique_ptr<XcbConnection> m_x;
    std::unique_ptr<KeyboardLayout> m_layout;
    QSocketNotifier* m_notifier = nullptr;
    Handler m_handler;
    uint8_t m_xinputOpcode = 0;
    xcb_keycode_t m_vKeycode = 0;
    std::set<xcb_keycode_t> m_controlKeys;
    std::set<xcb_keycode_t> m_controlKeysDown;
};

} // namespace Platform::X11
