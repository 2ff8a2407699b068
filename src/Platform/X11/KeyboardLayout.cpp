#include "Platform/X11/KeyboardLayout.h"

#include "Platform/X11/Xcb.h"

#include <xkbcommon/xkbcommon-x11.h>

namespace Platform::X11 {

KeyboardLayout::KeyboardLayout(xcb_connection_t* connection) {
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                     nullptr))
        return;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return;
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!m_context)
        return;
    m_keymap = xkb_x11_keymap_new_from_device(m_context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!m_keymap)
        return;
    if (xkb_state* state = xkb_x11_state_new_from_device(m_keymap, connection, device)) {
        m_group = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(state);
    }
}

KeyboardLayout::KeyboardLayout(xkb_keymap* keymap, xkb_layout_index_t group)
    : m_keymap(xkb_keymap_ref(keymap)), m_group(group) {}

KeyboardLayout::~KeyboardLayout() {
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

xkb_keysym_t KeyboardLayout::keysymIn(xkb_keycode_t keycode, xkb_layout_index_t group) const {
    const xkb_keysym_t* syms = nullptr;
    if (group >= xkb_keymap_num_layouts_for_key(m_keymap, keycode))
        return XKB_KEY_NoSymbol;
    const int count = xkb_keymap_key_get_syms_by_level(m_keymap, keycode, group, 0, &syms);
    return count > 0 ? syms[0] : XKB_KEY_NoSymbol;
}

std::optional<xcb_keycode_t> KeyboardLayout::keycodeFor(xkb_keysym_t keysym) const {
    if (!m_keymap)
        return std::nullopt;
    const xkb_keycode_t first = xkb_keymap_min_keycode(m_keymap);
    const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(m_keymap), 255);
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(m_keymap);
    for (xkb_layout_index_t step = 0; step < std::max<xkb_layout_index_t>(groups, 1); ++step) {
        const xkb_layout_index_t group = (m_group + step) % std::max<xkb_layout_index_t>(groups, 1);
        for (xkb_keycode_t keycode = first; keycode <= last; ++keycode) {
            if (keysymIn(keycode, group) == keysym)
                return static_cast<xcb_keycode_t>(keycode);
        }
    }
    return std::nullopt;
}

xkb_keysym_t KeyboardLayout::keysymAt(xcb_keycode_t keycode) const {
    return m_keymap ? keysymIn(keycode, m_group) : XKB_KEY_NoSymbol;
}

ModifierKeys modifierKeys(xcb_connection_t* connection) {
    ModifierKeys keys;
    XcbPtr<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!reply)
        return keys;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    constexpr int controlIndex = 2; // Shift, Lock, Control, Mod1...
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code == 0)
                continue;
            keys.all.push_back(code);
            if (modifier == controlIndex)
                keys.control.push_back(code);
        }
    }
    return keys;
}

} // namespace Platform::X11
