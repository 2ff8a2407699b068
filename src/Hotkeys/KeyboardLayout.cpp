#include "Hotkeys/KeyboardLayout.h"

#include "Hotkeys/X11/X11Keyboard.h"

#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include <mutex>

namespace Hotkeys {
namespace {

constexpr xkb_keycode_t kXkbKeycodeOffset = 8;

std::mutex& overrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const KeyboardLayout>& overrideLayout() {
    static std::shared_ptr<const KeyboardLayout> layout;
    return layout;
}

// Dead keys name the accent they put on the next letter.
char32_t deadKeyAccent(xkb_keysym_t sym) {
    switch (sym) {
    case XKB_KEY_dead_grave:
        return U'`';
    case XKB_KEY_dead_acute:
        return U'\u00B4';
    case XKB_KEY_dead_circumflex:
        return U'^';
    case XKB_KEY_dead_tilde:
        return U'~';
    case XKB_KEY_dead_diaeresis:
        return U'\u00A8';
    case XKB_KEY_dead_cedilla:
        return U'\u00B8';
    case XKB_KEY_dead_abovering:
        return U'\u02DA';
    case XKB_KEY_dead_caron:
        return U'\u02C7';
    default:
        return 0;
    }
}

std::optional<char32_t> characterAtFirstLevel(xkb_keymap* keymap, unsigned group, xkb_keycode_t keycode) {
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, keycode);
    if (layouts == 0)
        return std::nullopt;
    // A key with fewer groups than the keymap repeats its first one.
    const xkb_layout_index_t layout = group < layouts ? group : 0;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, keycode, layout, 0, &syms) != 1)
        return std::nullopt;
    if (const char32_t accent = deadKeyAccent(syms[0]))
        return accent;
    const char32_t character = xkb_keysym_to_utf32(syms[0]);
    if (character < 0x20 || character == 0x7F)
        return std::nullopt;
    return character;
}

} // namespace

KeyboardLayout::KeyboardLayout(xkb_keymap* keymap, int activeGroup) : m_keymap(keymap) {
    const unsigned groups = xkb_keymap_num_layouts(m_keymap);
    const unsigned active = activeGroup >= 0 && unsigned(activeGroup) < groups ? unsigned(activeGroup) : 0;
    m_namingGroup = active;
    if (!isAsciiCapable(active)) {
        for (unsigned group = 0; group < groups; ++group) {
            if (isAsciiCapable(group)) {
                m_namingGroup = group;
                break;
            }
        }
    }
}

KeyboardLayout::~KeyboardLayout() {
    xkb_keymap_unref(m_keymap);
}

std::shared_ptr<const KeyboardLayout> KeyboardLayout::fromNames(const QString& layouts,
                                                                const QString& variants, int activeGroup) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return nullptr;
    const QByteArray layoutNames = layouts.toUtf8();
    const QByteArray variantNames = variants.toUtf8();
    xkb_rule_names names{};
    names.rules = "evdev";
    names.model = "pc105";
    names.layout = layoutNames.constData();
    names.variant = variantNames.constData();
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    if (!keymap)
        return nullptr;
    return std::make_shared<const KeyboardLayout>(keymap, activeGroup);
}

std::shared_ptr<const KeyboardLayout> KeyboardLayout::current() {
    {
        std::lock_guard lock(overrideMutex());
        if (overrideLayout())
            return overrideLayout();
    }
    if (auto serverLayout = X11Keyboard::currentLayout())
        return serverLayout;
    return fromNames({});
}

void KeyboardLayout::setCurrentOverride(std::shared_ptr<const KeyboardLayout> layout) {
    std::lock_guard lock(overrideMutex());
    overrideLayout() = std::move(layout);
}

bool KeyboardLayout::isAsciiCapable(unsigned group) const {
    // The key in the A position types a Latin letter in every ASCII-capable layout (QWERTY, AZERTY,
    // Dvorak...) and something else in Cyrillic, Greek, Arabic... layouts.
    const auto aPosition = evdevCodeForKey(Key::a);
    const auto character =
        characterAtFirstLevel(m_keymap, group, xkb_keycode_t(*aPosition) + kXkbKeycodeOffset);
    return character && *character < 0x80;
}

std::optional<QString> KeyboardLayout::character(Key key) const {
    const auto evdev = evdevCodeForKey(key);
    if (!evdev)
        return std::nullopt;
    const auto character =
        characterAtFirstLevel(m_keymap, m_namingGroup, xkb_keycode_t(*evdev) + kXkbKeycodeOffset);
    if (!character)
        return std::nullopt;
    const char32_t units[] = {*character};
    return QString::fromUcs4(units, 1);
}

} // namespace Hotkeys
