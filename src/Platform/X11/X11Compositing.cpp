#include "Platform/X11/X11Compositing.h"

#include "Platform/X11/Xcb.h"

#include <string>

namespace Platform::X11 {

bool isCompositingManagerRunning() {
    const XcbConnection x;
    if (!x.isValid())
        return false;
    const std::string selection = "_NET_WM_CM_S" + std::to_string(x.screenNumber());
    const xcb_atom_t atom = x.atom(selection.c_str());
    if (atom == XCB_ATOM_NONE)
        return false;
    XcbPtr<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(x.get(), xcb_get_selection_owner(x.get(), atom), nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

} // namespace Platform::X11
