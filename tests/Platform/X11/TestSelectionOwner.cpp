// A CLIPBOARD owner for tests: offers the given targets with the contents of the given files, or
// takes the selection and never answers (--silent), or answers only the list of targets
// (--silent-after-targets). Prints "owner" once it owns the selection and exits when it loses it.
//
//   qs-test-selection-owner [--silent | --silent-after-targets] TARGET=FILE...
#include <XcbSelectionOwner.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using XcbSelectionOwner::internAtom;
using XcbSelectionOwner::notifyRequestor;

} // namespace

int main(int argc, char** argv) {
    bool silent = false;
    bool silentAfterTargets = false;
    std::vector<std::pair<std::string, std::string>> offers;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--silent" || arg == "--silent-after-targets") {
            (arg == "--silent" ? silent : silentAfterTargets) = true;
            continue;
        }
        const auto equals = arg.rfind('=');
        if (equals == std::string::npos)
            return 2;
        std::ifstream file(arg.substr(equals + 1), std::ios::binary);
        offers.emplace_back(arg.substr(0, equals), std::string(std::istreambuf_iterator<char>(file),
                                                               std::istreambuf_iterator<char>()));
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t clipboard = internAtom(c, "CLIPBOARD");
    const xcb_atom_t targets = internAtom(c, "TARGETS");
    std::map<xcb_atom_t, const std::string*> data;
    for (const auto& [target, bytes] : offers)
        data[internAtom(c, target.c_str())] = &bytes;

    // A real timestamp, from a property change on our own window.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(c);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const bool found = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        if (found)
            time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
        std::free(event);
        if (found)
            break;
    }
    xcb_set_selection_owner(c, window, clipboard, time);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    const bool owns = owner && owner->owner == window;
    std::free(owner);
    if (!owns)
        return 1;
    std::printf("owner\n");
    std::fflush(stdout);

    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR) {
            std::free(event);
            break;
        }
        const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
        const bool answers =
            type == XCB_SELECTION_REQUEST && !silent && (!silentAfterTargets || request->target == targets);
        if (answers) {
            xcb_atom_t property = request->property == XCB_ATOM_NONE ? request->target : request->property;
            if (request->target == targets) {
                std::vector<xcb_atom_t> list{targets};
                for (const auto& entry : data)
                    list.push_back(entry.first);
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property, XCB_ATOM_ATOM, 32,
                                    static_cast<uint32_t>(list.size()), list.data());
            } else if (const auto it = data.find(request->target); it != data.end()) {
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property, request->target,
                                    8, static_cast<uint32_t>(it->second->size()), it->second->data());
            } else {
                property = XCB_ATOM_NONE;
            }
            notifyRequestor(c, *request, property);
        }
        std::free(event);
    }
    xcb_disconnect(c);
    return 0;
}
