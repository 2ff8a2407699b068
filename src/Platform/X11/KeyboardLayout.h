#pragma once

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace Platform::X11 {

// The server's current keyboard layout, read once through xkbcommon-x11.
class KeyboardLayout {
public:
    explicit KeyboardLayout(xcb_connection_t* connection);
    // A given keymap with `group` as the current group.
    KeyboardLayout(xkb_keymap* keymap, xkb_layout_index_t group);
    ~KeyboardLayout();
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;

    bool isValid() const { return m_keymap != nullptr; }

    // The key that types `keysym` at level 0: in the current group if it has one there, else in the
    // first group that does (so Ctrl+V works under a non-Latin layout, as applications expect).
    std::optional<xcb_keycode_t> keycodeFor(xkb_keysym_t keysym) const;
    // The keysym of `keycode` at level 0 of the current group (0 when it has none).
    xkb_keysym_t keysymAt(xcb_keycode_t keycode) const;

private:
    xkb_keysym_t keysymIn(xkb_keycode_t keycode, xkb_layout_index_t group) const;

    xkb_context* m_context = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xkb_layout_index_t m_group = 0;
};

// Keycodes bound to the modifier bits (Shift, Lock, Control, Mod1-Mod5) in the server's modifier map.
struct ModifierKeys {
    std::vector<xcb_keycode_t> all;
    std::vector<xcb_keycode_t> control;
};
ModifierKeys modifierKeys(xcb_connection_t* connection);

// Whether `keycode` is down in the 256-bit key vector of a QueryKeymap reply.
inline bool isKeyDown(const uint8_t keys[32], xcb_keycode_t keycode) {
    return keys[keycode / 8] & (1u << (keycode % 8));
}

} // namespace Platform::X11
