#pragma once

#include "Hotkeys/Shortcut.h"

#include <QObject>

namespace Hotkeys {

// The desktop's system-wide hot-key service, as the library uses it. The X11 backend grabs keys on
// the root window; tests use a fake.
class HotkeyBackend : public QObject {
    Q_OBJECT
public:
    // Makes the shortcut a live hot key under `id`. Answers 0, or the error code the desktop gave;
    // a refused grab leaves nothing behind.
    virtual int grab(quint64 id, const Shortcut& shortcut) = 0;
    virtual void ungrab(quint64 id) = 0;
    // Whether another client holds the shortcut (only asked for shortcuts this process does not
    // hold): probes a grab and releases it at once.
    virtual bool isTakenElsewhere(const Shortcut& shortcut) = 0;

signals:
    // One press per physical press (auto-repeat is not a press); one release per press.
    void pressed(quint64 id);
    void released(quint64 id);
    // The keyboard mapping changed: refused grabs may now succeed, and when the modifier keys moved
    // (`grabsStale`) live grabs no longer cover the lock combinations and must be made again.
    void mappingChanged(bool grabsStale);
};

} // namespace Hotkeys
