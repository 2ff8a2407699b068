#include "Platform/X11/X11AccessibilityTrust.h"

#include "Platform/X11/Xcb.h"

#include <xcb/xtest.h>

namespace Platform::X11 {

bool X11AccessibilityTrust::isTrusted() const {
    // The answer cannot change during a session; asked every few seconds, it is read once.
    if (!m_trusted) {
        const XcbConnection x;
        const xcb_query_extension_reply_t* xtest =
            x.isValid() ? xcb_get_extension_data(x.get(), &xcb_test_id) : nullptr;
        m_trusted = xtest && xtest->present;
    }
    return *m_trusted;
}

} // namespace Platform::X11
