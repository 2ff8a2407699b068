#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <memory>
#include <optional>

namespace Platform::X11 {

// Replies and events from xcb are malloc'ed and released with free().
struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using XcbPtr = std::unique_ptr<T, FreeDeleter>;

// An xcb connection of our own (not Qt's), closed on destruction.
class XcbConnection {
public:
    // Connects to $DISPLAY; check isValid().
    XcbConnection();
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    bool isValid() const { return m_connection && !xcb_connection_has_error(m_connection); }
    xcb_connection_t* get() const { return m_connection; }
    xcb_screen_t* screen() const { return m_screen; }
    int screenNumber() const { return m_screenNumber; }
    xcb_window_t root() const { return m_screen ? m_screen->root : xcb_window_t(XCB_WINDOW_NONE); }

    xcb_atom_t atom(const char* name) const;

    // A whole property of `window`, or nothing when it is absent. `type` receives its type.
    std::optional<QByteArray> property(xcb_window_t window, xcb_atom_t property, xcb_atom_t* type = nullptr,
                                       bool deleteAfterRead = false) const;
    // The first 32-bit value of a WINDOW/CARDINAL property.
    std::optional<quint32> cardinalProperty(xcb_window_t window, xcb_atom_t property) const;

    // An unmapped 1×1 window that receives property changes, for selection transfers.
    xcb_window_t createHelperWindow(uint32_t eventMask) const;

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    int m_screenNumber = 0;
};

} // namespace Platform::X11
