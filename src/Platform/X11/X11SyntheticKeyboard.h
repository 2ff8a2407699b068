#pragma once

#include "Platform/SyntheticKeyboard.h"
#include "Platform/X11/Xcb.h"

namespace Platform::X11 {

// Keystrokes through the XTest extension, on a connection of our own.
class X11SyntheticKeyboard : public SyntheticKeyboard {
public:
    X11SyntheticKeyboard();
    bool isValid() const { return m_valid; }
    bool postPaste() override;

private:
    XcbConnection m_x;
    bool m_valid = false;
};

} // namespace Platform::X11
