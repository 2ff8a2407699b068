#include "Platform/X11/X11GlobalKeyMonitor.h"

#include "Platform/X11/KeyboardLayout.h"

#include <QSocketNotifier>

#include <xcb/xinput.h>

namespace Platform::X11 {

X11GlobalKeyMonitor::X11GlobalKeyMonitor(QObject* parent) : QObject(parent) {}

X11GlobalKeyMonitor::~X11GlobalKeyMonitor() {
    stop();
}

bool X11GlobalKeyMonitor::start(Handler handler) {
    stop();
    auto x = std::make_unique<XcbConnection>();
    if (!x->isValid() || !x->screen())
        return false;
    xcb_connection_t* c = x->get();
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (!xinput || !xinput->present)
        return false;
    XcbPtr<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2)
        return false;

    struct {
        xcb_input_event_mask_t header;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE};
    XcbPtr<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_input_xi_select_events_checked(c, x->root(), 1, &selection.header)));
    if (error)
        return false;

    m_layout = std::make_unique<KeyboardLayout>(c);
    m_vKeycode = m_layout->keycodeFor(XKB_KEY_v).value_or(0);
    const ModifierKeys modifiers = modifierKeys(c);
    m_controlKeys = {modifiers.control.begin(), modifiers.control.end()};
    // A Ctrl already held when the monitor starts counts as held.
    m_controlKeysDown.clear();
    XcbPtr<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    for (const xcb_keycode_t key : m_controlKeys) {
        if (keymap && isKeyDown(keymap->keys, key))
            m_controlKeysDown.insert(key);
    }

    m_xinputOpcode = xinput->major_opcode;
    m_handler = std::move(handler);
    m_x = std::move(x);
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11GlobalKeyMonitor::takeEvents);
    return true;
}

void X11GlobalKeyMonitor::stop() {
    // stop() may be called from the handler, inside the notifier's own signal.
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    m_x.reset();
    m_layout.reset();
    m_handler = nullptr;
}

void X11GlobalKeyMonitor::takeEvents() {
    while (m_x) {
        XcbPtr<xcb_generic_event_t> event(xcb_poll_for_event(m_x->get()));
        if (!event)
            return;
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
            continue;
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event.get());
        if (generic->extension != m_xinputOpcode)
            continue;
        const auto* raw = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event.get());
        const auto keycode = static_cast<xcb_keycode_t>(raw->detail);
        const bool isControl = m_controlKeys.contains(keycode);
        if (generic->event_type == XCB_INPUT_RAW_KEY_PRESS) {
            if (isControl)
                m_controlKeysDown.insert(keycode);
        } else if (generic->event_type == XCB_INPUT_RAW_KEY_RELEASE) {
            if (isControl)
                m_controlKeysDown.erase(keycode);
            KeyRelease release;
            release.keycode = keycode;
            release.keysym = m_layout->keysymAt(keycode);
            release.controlHeld = !m_controlKeysDown.empty();
            release.isPasteChord = release.controlHeld && m_vKeycode != 0 && keycode == m_vKeycode;
            // The handler may stop the monitor; keep it alive for this call.
            const Handler handler = m_handler;
            if (handler)
                handler(release);
        }
    }
}

} // namespace Platform::X11
