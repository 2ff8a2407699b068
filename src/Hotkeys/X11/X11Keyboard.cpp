#include "Hotkeys/X11/X11Keyboard.h"

#include "Hotkeys/KeyboardLayout.h"

#include <QGuiApplication>

#include <xkbcommon/xkbcommon-x11.h>

namespace Hotkeys::X11Keyboard {

xcb_connection_t* connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

std::shared_ptr<const KeyboardLayout> currentLayout() {
    xcb_connection_t* conn = connection();
    if (!conn)
        return nullptr;
    if (!xkb_x11_setup_xkb_extension(conn, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                     nullptr))
        return nullptr;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(conn);
    if (device < 0)
        return nullptr;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return nullptr;
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context, conn, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    if (!keymap)
        return nullptr;
    int group = 0;
    if (xkb_state* state = xkb_x11_state_new_from_device(keymap, conn, device)) {
        group = int(xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
        xkb_state_unref(state);
    }
    return std::make_shared<const KeyboardLayout>(keymap, group);
}

} // namespace Hotkeys::X11Keyboard
