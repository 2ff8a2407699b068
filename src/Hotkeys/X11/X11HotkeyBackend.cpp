#include "Hotkeys/X11/X11HotkeyBackend.h"

#include "Hotkeys/X11/X11Keyboard.h"

#include <QCoreApplication>
#include <QTimer>

// xkb.h names a struct member "explicit"; it is not used here.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <array>
#include <cstdlib>

namespace Hotkeys {
namespace {

constexpr xcb_keycode_t kEvdevToX11Keycode = 8;
// Modifier state bits that take part in matching a press: the eight core modifiers.
constexpr uint16_t kCoreModifierMask = 0xFF;

// Keysyms that identify the modifier bits of the modifier map.
constexpr xcb_keysym_t kNumLock = 0xff7f;
constexpr xcb_keysym_t kScrollLock = 0xff14;
constexpr xcb_keysym_t kAltL = 0xffe9;
constexpr xcb_keysym_t kAltR = 0xffea;
constexpr xcb_keysym_t kSuperL = 0xffeb;
constexpr xcb_keysym_t kSuperR = 0xffec;

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace

std::unique_ptr<X11HotkeyBackend> X11HotkeyBackend::create() {
    xcb_connection_t* connection = X11Keyboard::connection();
    if (!connection)
        return nullptr;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return nullptr;
    return std::make_unique<X11HotkeyBackend>(connection, screen->root);
}

X11HotkeyBackend::X11HotkeyBackend(xcb_connection_t* connection, xcb_window_t root)
    : m_connection(connection), m_root(root) {
    if (const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(m_connection, &xcb_xkb_id);
        xkb && xkb->present) {
        m_xkbFirstEvent = xkb->first_event;
        Reply<xcb_xkb_use_extension_reply_t>(xcb_xkb_use_extension_reply(
            m_connection, xcb_xkb_use_extension(m_connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
            nullptr));
        // Without this the server sends a release before every repeated press of a held key.
        const uint32_t detectable = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        Reply<xcb_xkb_per_client_flags_reply_t>(xcb_xkb_per_client_flags_reply(
            m_connection,
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, detectable, detectable, 0, 0, 0),
            nullptr));
    }
    readModifierMap();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotkeyBackend::~X11HotkeyBackend() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const KeyGrab& keyGrab : std::as_const(m_grabs))
        ungrabAllCombinations(keyGrab);
    xcb_flush(m_connection);
}

std::optional<X11HotkeyBackend::KeyGrab> X11HotkeyBackend::keyGrabFor(const Shortcut& shortcut) const {
    const ModifierFlags flags = shortcut.modifiers();
    // X11 has no Fn modifier: the key never reaches the server with it.
    if (flags & ModifierFlag::Function)
        return std::nullopt;
    const auto evdev = evdevCodeForKey(shortcut.key());
    if (!evdev || *evdev + kEvdevToX11Keycode > 255)
        return std::nullopt;
    uint16_t modifiers = 0;
    if (flags & ModifierFlag::Shift)
        modifiers |= XCB_MOD_MASK_SHIFT;
    if (flags & ModifierFlag::Control)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (flags & ModifierFlag::Option)
        modifiers |= m_altMask;
    if (flags & ModifierFlag::Command)
        modifiers |= m_superMask;
    return KeyGrab{xcb_keycode_t(*evdev + kEvdevToX11Keycode), modifiers, {}};
}

QList<uint16_t> X11HotkeyBackend::lockCombinations() const {
    QList<uint16_t> combinations{0};
    for (const uint16_t lock : {uint16_t(XCB_MOD_MASK_LOCK), m_numLockMask, m_scrollLockMask}) {
        if (lock == 0)
            continue;
        const qsizetype count = combinations.size();
        for (qsizetype i = 0; i < count; ++i) {
            if (!combinations.contains(combinations[i] | lock))
                combinations.append(combinations[i] | lock);
        }
    }
    return combinations;
}

int X11HotkeyBackend::grabAllCombinations(KeyGrab& keyGrab) {
    const QList<uint16_t> combinations = lockCombinations();
    keyGrab.lockCombinations = combinations;
    QList<xcb_void_cookie_t> cookies;
    for (const uint16_t locks : combinations) {
        cookies.append(xcb_grab_key_checked(m_connection, 0, m_root, keyGrab.modifiers | locks,
                                            keyGrab.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    int status = 0;
    QList<uint16_t> taken;
    for (qsizetype i = 0; i < cookies.size(); ++i) {
        if (Reply<xcb_generic_error_t> error{xcb_request_check(m_connection, cookies[i])}) {
            if (status == 0)
                status = error->error_code;
        } else {
            taken.append(combinations[i]);
        }
    }
    if (status != 0) {
        for (const uint16_t locks : taken)
            xcb_ungrab_key(m_connection, keyGrab.keycode, m_root, keyGrab.modifiers | locks);
        xcb_flush(m_connection);
    }
    return status;
}

void X11HotkeyBackend::ungrabAllCombinations(const KeyGrab& keyGrab) {
    for (const uint16_t locks : keyGrab.lockCombinations)
        xcb_ungrab_key(m_connection, keyGrab.keycode, m_root, keyGrab.modifiers | locks);
}

int X11HotkeyBackend::grab(quint64 id, const Shortcut& shortcut) {
    auto keyGrab = keyGrabFor(shortcut);
    if (!keyGrab)
        return XCB_VALUE;
    const int status = grabAllCombinations(*keyGrab);
    if (status == 0)
        m_grabs.insert(id, *keyGrab);
    return status;
}

void X11HotkeyBackend::ungrab(quint64 id) {
    const auto it = m_grabs.constFind(id);
    if (it == m_grabs.cend())
        return;
    ungrabAllCombinations(*it);
    xcb_flush(m_connection);
    m_grabs.erase(it);
}

bool X11HotkeyBackend::isTakenElsewhere(const Shortcut& shortcut) {
    const auto keyGrab = keyGrabFor(shortcut);
    if (!keyGrab)
        return false;
    const xcb_void_cookie_t cookie =
        xcb_grab_key_checked(m_connection, 0, m_root, keyGrab->modifiers, keyGrab->keycode,
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (Reply<xcb_generic_error_t> error{xcb_request_check(m_connection, cookie)})
        return error->error_code == XCB_ACCESS;
    xcb_ungrab_key(m_connection, keyGrab->keycode, m_root, keyGrab->modifiers);
    xcb_flush(m_connection);
    return false;
}

bool X11HotkeyBackend::readModifierMap() {
    const std::array<uint16_t, 4> before{m_altMask, m_superMask, m_numLockMask, m_scrollLockMask};
    m_altMask = XCB_MOD_MASK_1;
    m_superMask = XCB_MOD_MASK_4;
    m_numLockMask = 0;
    m_scrollLockMask = 0;

    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const uint8_t firstKeycode = setup->min_keycode;
    const uint8_t keycodeCount = setup->max_keycode - setup->min_keycode + 1;
    const auto modifierCookie = xcb_get_modifier_mapping(m_connection);
    const auto keyboardCookie = xcb_get_keyboard_mapping(m_connection, firstKeycode, keycodeCount);
    Reply<xcb_get_modifier_mapping_reply_t> modifierMap{
        xcb_get_modifier_mapping_reply(m_connection, modifierCookie, nullptr)};
    Reply<xcb_get_keyboard_mapping_reply_t> keyboardMap{
        xcb_get_keyboard_mapping_reply(m_connection, keyboardCookie, nullptr)};
    if (!modifierMap || !keyboardMap)
        return false;

    const xcb_keycode_t* modifierKeycodes = xcb_get_modifier_mapping_keycodes(modifierMap.get());
    const int perModifier = modifierMap->keycodes_per_modifier;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboardMap.get());
    const int keysymCount = xcb_get_keyboard_mapping_keysyms_length(keyboardMap.get());
    const int perKeycode = keyboardMap->keysyms_per_keycode;

    bool altFound = false;
    bool superFound = false;
    // Modifiers 3 to 7 are Mod1…Mod5; Shift, Lock and Control are fixed.
    for (int modifier = 3; modifier < 8; ++modifier) {
        const uint16_t mask = uint16_t(1u << modifier);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = modifierKeycodes[modifier * perModifier + i];
            if (keycode < firstKeycode)
                continue;
            for (int level = 0; level < perKeycode && level < 2; ++level) {
                const int index = (keycode - firstKeycode) * perKeycode + level;
                if (index >= keysymCount)
                    break;
                const xcb_keysym_t sym = keysyms[index];
                if (sym == kNumLock) {
                    m_numLockMask = mask;
                } else if (sym == kScrollLock) {
                    m_scrollLockMask = mask;
                } else if ((sym == kAltL || sym == kAltR) && !altFound) {
                    m_altMask = mask;
                    altFound = true;
                } else if ((sym == kSuperL || sym == kSuperR) && !superFound) {
                    m_superMask = mask;
                    superFound = true;
                }
            }
        }
    }
    return before != std::array<uint16_t, 4>{m_altMask, m_superMask, m_numLockMask, m_scrollLockMask};
}

void X11HotkeyBackend::scheduleMappingChange() {
    // Mapping changes arrive in bursts (core and XKB notifications for one change).
    if (m_mappingChangePending)
        return;
    m_mappingChangePending = true;
    QTimer::singleShot(0, this, [this] {
        m_mappingChangePending = false;
        emit mappingChanged(readModifierMap());
    });
}

bool X11HotkeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7F;

    if (type == XCB_KEY_PRESS) {
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (press->event != m_root)
            return false;
        const uint16_t locks = XCB_MOD_MASK_LOCK | m_numLockMask | m_scrollLockMask;
        const uint16_t modifiers = press->state & kCoreModifierMask & ~locks;
        for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
            if (it->keycode != press->detail || it->modifiers != modifiers)
                continue;
            if (!m_pressed.contains(press->detail)) {
                m_pressed.insert(press->detail, it.key());
                emit pressed(it.key());
            }
            return true;
        }
        return false;
    }
    if (type == XCB_KEY_RELEASE) {
        const auto* release = reinterpret_cast<const xcb_key_release_event_t*>(event);
        if (release->event != m_root)
            return false;
        const auto it = m_pressed.constFind(release->detail);
        if (it == m_pressed.cend())
            return false;
        const quint64 id = it.value();
        m_pressed.erase(it);
        emit released(id);
        return true;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = reinterpret_cast<const xcb_mapping_notify_event_t*>(event);
        if (mapping->request == XCB_MAPPING_KEYBOARD || mapping->request == XCB_MAPPING_MODIFIER)
            scheduleMappingChange();
        return false;
    }
    if (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent) {
        // Every XKB event carries its own kind in the second byte.
        const uint8_t xkbType = reinterpret_cast<const uint8_t*>(event)[1];
        if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY)
            scheduleMappingChange();
        return false;
    }
    return false;
}

} // namespace Hotkeys
