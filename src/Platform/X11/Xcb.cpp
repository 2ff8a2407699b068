#include "Platform/X11/Xcb.h"

#include <cstring>

namespace Platform::X11 {

XcbConnection::XcbConnection() {
    m_connection = xcb_connect(nullptr, &m_screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; it.rem && i < m_screenNumber; ++i)
        xcb_screen_next(&it);
    m_screen = it.rem ? it.data : nullptr;
}

XcbConnection::~XcbConnection() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

xcb_atom_t XcbConnection::atom(const char* name) const {
    XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::optional<QByteArray> XcbConnection::property(xcb_window_t window, xcb_atom_t property, xcb_atom_t* type,
                                                  bool deleteAfterRead) const {
    QByteArray bytes;
    uint32_t offset = 0; // in 32-bit units
    for (;;) {
        // Ask for everything that is left; the server answers with what the property holds.
        XcbPtr<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, deleteAfterRead, window, property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, offset, 0x1fffffff),
                                   nullptr));
        if (!reply || reply->type == XCB_ATOM_NONE)
            return offset == 0 ? std::nullopt : std::optional<QByteArray>(bytes);
        if (type)
            *type = reply->type;
        const int length = xcb_get_property_value_length(reply.get());
        bytes.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
        if (reply->bytes_after == 0 || length == 0)
            return bytes;
        offset += static_cast<uint32_t>(length) / 4;
    }
}

std::optional<quint32> XcbConnection::cardinalProperty(xcb_window_t window, xcb_atom_t property) const {
    const auto bytes = this->property(window, property);
    if (!bytes || bytes->size() < 4)
        return std::nullopt;
    quint32 value = 0;
    std::memcpy(&value, bytes->constData(), sizeof value);
    return value;
}

xcb_window_t XcbConnection::createHelperWindow(uint32_t eventMask) const {
    const xcb_window_t window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, root(), -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, XCB_CW_EVENT_MASK, &eventMask);
    xcb_flush(m_connection);
    return window;
}

} // namespace Platform::X11
