// Which key types a symbol under layouts compiled from their names, as the server would load them.
#include "Platform/X11/KeyboardLayout.h"

#include <gtest/gtest.h>

#include <memory>

using Platform::X11::KeyboardLayout;

namespace {

struct KeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(const char* layouts) {
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                       &xkb_context_unref);
    const xkb_rule_names names{"evdev", "pc105", layouts, "", ""};
    return std::unique_ptr<xkb_keymap, KeymapDeleter>(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

// evdev key positions (+8): the key right of C, and the first key of the top letter row.
constexpr xcb_keycode_t keyV = 55;
constexpr xcb_keycode_t keyQ = 24;
constexpr xcb_keycode_t keyA = 38;

TEST(KeyboardLayout, FindsTheKeyOfASymbolInTheCurrentLayout) {
    struct Case {
        const char* layouts;
        xkb_layout_index_t group;
        xkb_keysym_t symbol;
        std::optional<xcb_keycode_t> key;
    };
    const Case cases[] = {
        {"us", 0, XKB_KEY_v, keyV},
        {"de", 0, XKB_KEY_v, keyV},
        // AZERTY: "a" sits where QWERTY has "q".
        {"fr", 0, XKB_KEY_a, keyQ},
        {"us", 0, XKB_KEY_a, keyA},
        // Under Russian in front, Ctrl+V still means the key of the Latin group's "v".
        {"us,ru", 1, XKB_KEY_v, keyV},
        {"ru,us", 0, XKB_KEY_v, keyV},
        {"ru", 0, XKB_KEY_v, std::nullopt},
        {"us", 0, XKB_KEY_Control_L, xcb_keycode_t(37)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layouts);
        const auto map = keymap(c.layouts);
        ASSERT_TRUE(map);
        const KeyboardLayout layout(map.get(), c.group);
        EXPECT_EQ(layout.keycodeFor(c.symbol), c.key);
    }
}

TEST(KeyboardLayout, NamesKeysAtLevelZeroOfTheCurrentGroup) {
    const auto map = keymap("us,ru");
    EXPECT_EQ(KeyboardLayout(map.get(), 0).keysymAt(keyV), xkb_keysym_t(XKB_KEY_v));
    EXPECT_EQ(KeyboardLayout(map.get(), 1).keysymAt(keyV), xkb_keysym_t(XKB_KEY_Cyrillic_em));
}

} // namespace
