// Holds a passive key grab on the root window, as another desktop program would, until its
// standard input closes. Usage: hotkeys_grab_helper KEYCODE MODIFIER_MASK
// Prints "grabbed" once the grab is in place, or "refused <X error code>".
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s KEYCODE MODIFIER_MASK\n", argv[0]);
        return 2;
    }
    const auto keycode = static_cast<xcb_keycode_t>(std::strtoul(argv[1], nullptr, 0));
    const auto modifiers = static_cast<uint16_t>(std::strtoul(argv[2], nullptr, 0));
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot connect to the X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 1, root, modifiers, keycode,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
        std::printf("refused %d\n", error->error_code);
        std::free(error);
        xcb_disconnect(connection);
        return 1;
    }
    std::printf("grabbed\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    xcb_disconnect(connection);
    return 0;
}
