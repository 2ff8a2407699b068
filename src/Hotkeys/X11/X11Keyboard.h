#pragma once

#include <memory>

typedef struct xcb_connection_t xcb_connection_t;

namespace Hotkeys {

class KeyboardLayout;

namespace X11Keyboard {

// Qt's X11 connection, or null when the application does not run on X11.
xcb_connection_t* connection();

// The X server's keyboard layout with its current group, read afresh; null without X11.
std::shared_ptr<const KeyboardLayout> currentLayout();

} // namespace X11Keyboard
} // namespace Hotkeys
