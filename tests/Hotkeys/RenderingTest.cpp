#include <Hotkeys/Hotkeys.h>

#include <gtest/gtest.h>

using namespace Hotkeys;

namespace {

struct LayoutCase {
    const char* layouts;
    int activeGroup;
    Shortcut shortcut;
    const char16_t* expected;
};

const LayoutCase kDescriptions[] = {
    // US: modifier glyphs always in the order ⌃⌥⇧⌘, then the key.
    {"us", 0, Shortcut(9, 0x1B00), u"⌃⌥⇧⌘V"},
    {"us", 0, Shortcut(9, 0x300), u"⇧⌘V"},
    {"us", 0, Shortcut(9, 0xB00), u"⌥⇧⌘V"},
    {"us", 0, Shortcut(122, 0x100), u"⌘F1"},
    {"us", 0, Shortcut(90, 0), u"F20"},
    {"us", 0, Shortcut(36, 0x1800), u"⌃⌥↩"},
    {"us", 0, Shortcut(122, 0x20100), u"⌘\U0001F310\uFE0EF1"},
    {"us", 0, Shortcut(82, 0), u"0\u20E3"},
    {"us", 0, Shortcut(71, 0), u"☒\u20E3"},
    {"us", 0, Shortcut(76, 0x100), u"⌘↩\u20E3"},
    {"us", 0, Shortcut(114, 0x100), u"⌘?\u20DD"},
    {"us", 0, Shortcut(24, 0x100), u"⌘="},
    {"us", 0, Shortcut(50, 0x1000), u"⌃`"},
    {"us", 0, Shortcut(51, 0x100), u"⌘⌫"},
    {"us", 0, Shortcut(123, 0x100), u"⌘←"},
    // Keys without a character in the layout.
    {"us", 0, Shortcut(74, 0x100), u"⌘\uFFFD"},
    {"us", 0, Shortcut(500, 0x100), u"⌘\uFFFD"},
    {"us", 0, Shortcut(-1, 0), u"\uFFFD"},
    // German: Y and Z swap, umlauts, ß keeps its form, dead keys show their accent.
    {"de", 0, Shortcut(16, 0x100), u"⌘Z"},
    {"de", 0, Shortcut(6, 0x100), u"⌘Y"},
    {"de", 0, Shortcut(41, 0x100), u"⌘Ö"},
    {"de", 0, Shortcut(27, 0x100), u"⌘ß"},
    {"de", 0, Shortcut(50, 0x100), u"⌘^"},
    {"de", 0, Shortcut(24, 0x100), u"⌘\u00B4"},
    {"de", 0, Shortcut(49, 0x100), u"⌘Space"},
    // French AZERTY: the A position types q, digits sit on the shift level.
    {"fr", 0, Shortcut(0, 0x100), u"⌘Q"},
    {"fr", 0, Shortcut(12, 0x100), u"⌘A"},
    {"fr", 0, Shortcut(13, 0x100), u"⌘Z"},
    {"fr", 0, Shortcut(41, 0x100), u"⌘M"},
    {"fr", 0, Shortcut(18, 0x100), u"⌘&"},
    {"fr", 0, Shortcut(33, 0x100), u"⌘^"},
    // US + Russian: keys are named from the Latin group whichever group is active.
    {"us,ru", 0, Shortcut(9, 0x300), u"⇧⌘V"},
    {"us,ru", 1, Shortcut(9, 0x300), u"⇧⌘V"},
    {"us,ru", 1, Shortcut(41, 0x100), u"⌘;"},
    {"ru,us", 0, Shortcut(9, 0x300), u"⇧⌘V"},
    // Without any Latin group the active group names the key.
    {"ru", 0, Shortcut(9, 0x300), u"⇧⌘М"},
};

class HotkeysRenderingTest : public ::testing::TestWithParam<LayoutCase> {};

} // namespace

TEST_P(HotkeysRenderingTest, DescribesShortcutInCompiledLayout) {
    const LayoutCase& c = GetParam();
    const auto layout = KeyboardLayout::fromNames(QString::fromLatin1(c.layouts), {}, c.activeGroup);
    ASSERT_TRUE(layout);
    EXPECT_EQ(c.shortcut.presentableDescription(*layout), QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, HotkeysRenderingTest, ::testing::ValuesIn(kDescriptions));

class HotkeysCurrentLayoutTest : public ::testing::Test {
protected:
    void TearDown() override {
        KeyboardLayout::setCurrentOverride(nullptr);
        setLanguage(QStringLiteral("system"));
    }
};

TEST_F(HotkeysCurrentLayoutTest, DescriptionFollowsCurrentLayoutAtEachCall) {
    const Shortcut shortcut(16, 0x100);
    KeyboardLayout::setCurrentOverride(KeyboardLayout::fromNames(QStringLiteral("us")));
    EXPECT_EQ(shortcut.presentableDescription(), QStringLiteral("⌘Y"));
    KeyboardLayout::setCurrentOverride(KeyboardLayout::fromNames(QStringLiteral("de")));
    EXPECT_EQ(shortcut.presentableDescription(), QStringLiteral("⌘Z"));
}

TEST_F(HotkeysCurrentLayoutTest, SpaceKeyFollowsLanguage) {
    KeyboardLayout::setCurrentOverride(KeyboardLayout::fromNames(QStringLiteral("us")));
    const Shortcut space(Key::space, ModifierFlag::Command);
    setLanguage(QStringLiteral("en"));
    EXPECT_EQ(space.presentableDescription(), QStringLiteral("⌘Space"));
    setLanguage(QStringLiteral("pl"));
    EXPECT_EQ(space.presentableDescription(), QStringLiteral("⌘Spacja"));
    EXPECT_EQ(localized("record_shortcut"), QStringLiteral("Nagraj skrót"));
    setLanguage(QStringLiteral("xx"));
    EXPECT_EQ(localized("record_shortcut"), QStringLiteral("Record Shortcut"));
    EXPECT_EQ(localized("no_such_key"), QStringLiteral("no_such_key"));
}

TEST(HotkeysKeySequence, MapsShortcutToQtKeys) {
    const auto us = KeyboardLayout::fromNames(QStringLiteral("us"));
    const auto de = KeyboardLayout::fromNames(QStringLiteral("de"));
    EXPECT_EQ(Shortcut(9, 0x300).keySequence(*us), QKeySequence(Qt::SHIFT | Qt::META | Qt::Key_V));
    EXPECT_EQ(Shortcut(9, 0x1800).keySequence(*us), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
    EXPECT_EQ(Shortcut(16, 0x100).keySequence(*de), QKeySequence(Qt::META | Qt::Key_Z));
    EXPECT_EQ(Shortcut(41, 0x100).keySequence(*de), QKeySequence(Qt::META | Qt::Key_Odiaeresis));
    EXPECT_EQ(Shortcut(122, 0).keySequence(*us), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(Shortcut(49, 0x100).keySequence(*us), QKeySequence(Qt::META | Qt::Key_Space));
    EXPECT_FALSE(Shortcut(82, 0x100).keySequence(*us));    // keypad keys have none
    EXPECT_FALSE(Shortcut(122, 0x20000).keySequence(*us)); // Qt has no Fn modifier
    EXPECT_FALSE(Shortcut(74, 0x100).keySequence(*us));    // no character
}

TEST(HotkeysKeyToCharacter, SpecialKeysAreNeverTranslated) {
    const auto us = KeyboardLayout::fromNames(QStringLiteral("us"));
    EXPECT_EQ(Shortcut(9, 0).keyToCharacter(*us), QStringLiteral("v"));
    EXPECT_FALSE(Shortcut(49, 0).keyToCharacter(*us));
    EXPECT_FALSE(Shortcut(36, 0).keyToCharacter(*us));
}
