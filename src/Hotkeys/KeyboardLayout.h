#pragma once

#include "Hotkeys/Key.h"

#include <QString>

#include <memory>
#include <optional>

struct xkb_keymap;

namespace Hotkeys {

// A keyboard layout, for naming keys: which character each key position types without modifiers.
// Keys are named from an ASCII-capable group: the active one when it is, else the first that is
// (so with "us,ru" and Russian active, keys still read as on the US layout).
class KeyboardLayout {
public:
    // Compiles the keymap named by XKB layouts (comma-separated, e.g. "us,ru") and variants, with
    // `activeGroup` as the active group. None when xkbcommon cannot compile it.
    static std::shared_ptr<const KeyboardLayout> fromNames(const QString& layouts,
                                                           const QString& variants = {}, int activeGroup = 0);
    // Takes over a compiled keymap (one reference) with its active group.
    KeyboardLayout(xkb_keymap* keymap, int activeGroup);
    ~KeyboardLayout();
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;

    // The layout in use now, looked up afresh: the override when one is set, else the X server's
    // keyboard with its current group, else xkbcommon's default keymap.
    static std::shared_ptr<const KeyboardLayout> current();
    // Replaces what current() answers (tests, or an application with its own layout); null clears.
    static void setCurrentOverride(std::shared_ptr<const KeyboardLayout> layout);

    // The one character the key types at the first shift level, or none (no such key, a control
    // character, or a keysym without a character). Dead keys give their spacing accent.
    std::optional<QString> character(Key key) const;

private:
    bool isAsciiCapable(unsigned group) const;

    xkb_keymap* m_keymap;
    unsigned m_namingGroup = 0;
};

} // namespace Hotkeys
