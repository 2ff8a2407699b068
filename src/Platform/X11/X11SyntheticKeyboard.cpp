#include "Platform/X11/X11SyntheticKeyboard.h"

#include "Platform/X11/KeyboardLayout.h"

#include <xcb/xtest.h>

namespace Platform::X11 {

X11SyntheticKeyboard::X11SyntheticKeyboard() {
    if (!m_x.isValid())
        return;
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(m_x.get(), &xcb_test_id);
    m_valid = xtest && xtest->present;
}

bool X11SyntheticKeyboard::postPaste() {
    if (!m_valid)
        return false;
    xcb_connection_t* c = m_x.get();
    // The layout may have changed since the last paste.
    const KeyboardLayout layout(c);
    const auto v = layout.keycodeFor(XKB_KEY_v);
    const auto control = layout.keycodeFor(XKB_KEY_Control_L);
    if (!v || !control)
        return false;

    auto fake = [c](uint8_t type, xcb_keycode_t keycode) {
        return xcb_test_fake_input_checked(c, type, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    };
    // Modifiers still held from the hot key (Super, Shift, Alt) would turn Ctrl+V into another chord.
    XcbPtr<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    if (keymap) {
        for (const xcb_keycode_t modifier : modifierKeys(c).all) {
            if (isKeyDown(keymap->keys, modifier))
                fake(XCB_KEY_RELEASE, modifier);
        }
    }
    const xcb_void_cookie_t cookies[] = {fake(XCB_KEY_PRESS, *control), fake(XCB_KEY_PRESS, *v),
                                         fake(XCB_KEY_RELEASE, *v), fake(XCB_KEY_RELEASE, *control)};
    bool posted = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (XcbPtr<xcb_generic_error_t> error{xcb_request_check(c, cookie)})
            posted = false;
    }
    return posted;
}

} // namespace Platform::X11
