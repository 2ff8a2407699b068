#pragma once

#include <Hotkeys/HotkeyBackend.h>

#include <QHash>
#include <QList>
#include <QSet>

// Records grabs, refuses chosen shortcuts, and injects presses and releases.
class FakeHotkeyBackend : public Hotkeys::HotkeyBackend {
public:
    static constexpr int kBadAccess = 10;

    int grab(quint64 id, const Hotkeys::Shortcut& shortcut) override {
        grabIds.append(id);
        if (refused.contains(shortcut))
            return kBadAccess;
        grabs.insert(id, shortcut);
        return 0;
    }
    void ungrab(quint64 id) override { grabs.remove(id); }
    bool isTakenElsewhere(const Hotkeys::Shortcut& shortcut) override {
        probed.append(shortcut);
        return takenElsewhere.contains(shortcut);
    }

    bool isGrabbed(const Hotkeys::Shortcut& shortcut) const { return grabs.key(shortcut, 0) != 0; }
    quint64 idOf(const Hotkeys::Shortcut& shortcut) const { return grabs.key(shortcut, 0); }
    // A press and release of a grabbed shortcut, as the desktop would deliver them.
    void press(const Hotkeys::Shortcut& shortcut) { emit pressed(idOf(shortcut)); }
    void release(const Hotkeys::Shortcut& shortcut) { emit released(idOf(shortcut)); }
    void tap(const Hotkeys::Shortcut& shortcut) {
        press(shortcut);
        release(shortcut);
    }
    void changeMapping(bool grabsStale = false) { emit mappingChanged(grabsStale); }

    QHash<quint64, Hotkeys::Shortcut> grabs;
    QSet<Hotkeys::Shortcut> refused;
    QSet<Hotkeys::Shortcut> takenElsewhere;
    QList<Hotkeys::Shortcut> probed;
    QList<quint64> grabIds; // every grab asked for, refused ones too
};
