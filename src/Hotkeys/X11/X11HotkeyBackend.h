#pragma once

#include "Hotkeys/HotkeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QList>

#include <xcb/xcb.h>

#include <memory>
#include <optional>

namespace Hotkeys {

// Global hot keys on X11, over Qt's own xcb connection: passive key grabs on the root window, one
// per combination of the lock modifiers (Caps Lock, Num Lock, Scroll Lock as the modifier map
// places them) so that a lit lock key does not disable a shortcut. Every grab request is checked;
// a refusal (another client holds the key) ungrabs what was taken and answers the X error code.
// Auto-repeat is made detectable, so a held key gives one press and one release; a release is
// matched to its press by key code (modifiers may be let go first). After a keyboard mapping
// change the modifier map is read again and mappingChanged() asks for new grabs.
class X11HotkeyBackend : public HotkeyBackend, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Null unless the application runs on X11.
    static std::unique_ptr<X11HotkeyBackend> create();

    X11HotkeyBackend(xcb_connection_t* connection, xcb_window_t root);
    ~X11HotkeyBackend() override;

    int grab(quint64 id, const Shortcut& shortcut) override;
    void ungrab(quint64 id) override;
    bool isTakenElsewhere(const Shortcut& shortcut) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct KeyGrab {
        xcb_keycode_t keycode;
        uint16_t modifiers;
        // The lock combinations grabbed with it (the modifier map of the moment).
        QList<uint16_t> lockCombinations;
    };

    std::optional<KeyGrab> keyGrabFor(const Shortcut& shortcut) const;
    QList<uint16_t> lockCombinations() const;
    // Grabs every lock combination; answers 0 or the first X error code (nothing stays grabbed).
    int grabAllCombinations(KeyGrab& keyGrab);
    void ungrabAllCombinations(const KeyGrab& keyGrab);
    // Answers whether any modifier bit moved.
    bool readModifierMap();
    void scheduleMappingChange();

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    uint8_t m_xkbFirstEvent = 0;
    bool m_mappingChangePending = false;

    uint16_t m_altMask = XCB_MOD_MASK_1;
    uint16_t m_superMask = XCB_MOD_MASK_4;
    uint16_t m_numLockMask = 0;
    uint16_t m_scrollLockMask = 0;

    QHash<quint64, KeyGrab> m_grabs;
    // The hot key each held key started, by key code. A held key stays actively grabbed until it is
    // released, whatever happens to the passive grab meanwhile, so its release always comes here.
    QHash<xcb_keycode_t, quint64> m_pressed;
};

} // namespace Hotkeys
