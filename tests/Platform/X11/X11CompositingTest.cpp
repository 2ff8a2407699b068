// The compositor check against the test session's X server: a client that takes the compositing
// manager's selection for the screen turns it on, and its going turns it off again.
#include <Platform/X11/X11Compositing.h>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(X11Compositing, FollowsTheOwnerOfTheCompositingManagerSelection) {
    // The test session runs no compositor.
    ASSERT_FALSE(Platform::X11::isCompositingManagerRunning());

    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    ASSERT_EQ(xcb_connection_has_error(c), 0);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t owner = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, owner, screens.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string name = "_NET_WM_CM_S" + std::to_string(screenNumber);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_set_selection_owner(c, owner, atom->atom, XCB_CURRENT_TIME);
    std::free(atom);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip

    EXPECT_TRUE(Platform::X11::isCompositingManagerRunning());

    xcb_destroy_window(c, owner);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    EXPECT_FALSE(Platform::X11::isCompositingManagerRunning()) << "the selection goes with its owner";
    xcb_disconnect(c);
}

} // namespace
