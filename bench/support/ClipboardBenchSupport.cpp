#include "ClipboardBenchSupport.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>

#include <cstdlib>
#include <cstring>

namespace BenchSupport {

xcb_window_t makeHelperWindow(xcb_connection_t* connection) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    return window;
}

ClipboardOwner::ClipboardOwner(const char* target) {
    m_connection = xcb_connect(nullptr, nullptr);
    m_window = makeHelperWindow(m_connection);
    m_clipboard = internAtom(m_connection, "CLIPBOARD");
    m_targets = internAtom(m_connection, "TARGETS");
    m_target = internAtom(m_connection, target);
    xcb_flush(m_connection);
    m_thread = std::thread([this] { serve(); });
}

ClipboardOwner::~ClipboardOwner() {
    m_stop = true;
    // Wake the serving thread with an event to its own window.
    xcb_client_message_event_t wake{};
    wake.response_type = XCB_CLIENT_MESSAGE;
    wake.format = 32;
    wake.window = m_window;
    xcb_send_event(m_connection, 0, m_window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&wake));
    xcb_flush(m_connection);
    m_thread.join();
    xcb_disconnect(m_connection);
}

void ClipboardOwner::takeSelection(QByteArray payload) {
    {
        std::lock_guard lock(m_mutex);
        m_payload = std::move(payload);
    }
    xcb_set_selection_owner(m_connection, m_window, m_clipboard, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

void ClipboardOwner::serve() {
    while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
            const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
            xcb_atom_t property = request->property;
            if (request->target == m_targets) {
                const xcb_atom_t list[] = {m_targets, m_target};
                xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                    XCB_ATOM_ATOM, 32, 2, list);
            } else if (request->target == m_target) {
                std::lock_guard lock(m_mutex);
                xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                    m_target, 8, static_cast<uint32_t>(m_payload.size()),
                                    m_payload.constData());
            } else {
                property = XCB_ATOM_NONE;
            }
            XcbSelectionOwner::notifyRequestor(m_connection, *request, property);
        }
        std::free(event);
        if (m_stop)
            return;
    }
}

QByteArray repeatedText(qsizetype size) {
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() < size)
        bytes += "The quick brown fox jumps over the lazy dog. ";
    bytes.truncate(size);
    return bytes;
}

QByteArray noisyPng() {
    QImage image(1920, 1080, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = 0xff000000u | (random->generate() & 0x0f0f0fu) * 16;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace BenchSupport
