#pragma once
// What every X11 selection owner of the tests and benchmarks does alike: naming atoms and telling a
// requestor that its request is answered.

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace XcbSelectionOwner {

inline xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Sends the SelectionNotify that ends `request`: the answer is in `property`, or XCB_ATOM_NONE when
// the owner refuses the target.
inline void notifyRequestor(xcb_connection_t* connection, const xcb_selection_request_event_t& request,
                            xcb_atom_t property) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(connection);
}

} // namespace XcbSelectionOwner
