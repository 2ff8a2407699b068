// Keys as the desktop writes them, from stored shortcuts in several layouts and in both languages.
#include <Hotkeys/KeyboardLayout.h>
#include <Hotkeys/Shortcut.h>
#include <UI/Design/KeyNotation.h>

#include <QCoreApplication>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

using Hotkeys::Key;
using Hotkeys::ModifierFlag;
using Hotkeys::Shortcut;

// The glyphs another desktop writes keys with; none of them may show here.
bool hasForeignGlyph(const QString& text) {
    for (const QChar c : u"⇧⌘⌃⌥↩⎋⌫⌦⇥⇞⇟↖↘^\u20E3\u20DD") {
        if (c != QChar(0) && text.contains(c))
            return true;
    }
    return text.contains(QChar(0xD83C)); // the globe of the Fn key
}

struct Case {
    const char* layouts;
    int activeGroup;
    Shortcut shortcut;
    QStringList caps;
};

TEST(KeyNotation, ShortcutsReadAsTheDesktopWritesThem) {
    const Case cases[] = {
        // Modifiers always in the order Ctrl, Alt, Shift, Super; the key as the layout types it.
        {"us", 0, Shortcut(Key::v, ModifierFlag::Shift | ModifierFlag::Command), {"Shift", "Super", "V"}},
        {"us", 0, Shortcut(9, 0x1B00), {"Ctrl", "Alt", "Shift", "Super", "V"}},
        {"us",
         0,
         Shortcut(Key::v, ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command),
         {"Alt", "Shift", "Super", "V"}},
        {"us", 0, Shortcut(Key::return_, ModifierFlag::Control), {"Ctrl", "Return"}},
        {"us", 0, Shortcut(Key::escape, {}), {"Esc"}},
        {"us", 0, Shortcut(Key::space, {}), {"Space"}},
        {"us", 0, Shortcut(Key::f1, ModifierFlag::Command), {"Super", "F1"}},
        {"us", 0, Shortcut(Key::f20, {}), {"F20"}},
        {"us", 0, Shortcut(122, 0x20100), {"Super", "Fn", "F1"}},
        {"us", 0, Shortcut(Key::delete_, ModifierFlag::Command), {"Super", "Backspace"}},
        {"us", 0, Shortcut(Key::deleteForward, {}), {"Del"}},
        {"us", 0, Shortcut(Key::help, ModifierFlag::Command), {"Super", "Ins"}},
        {"us", 0, Shortcut(Key::leftArrow, ModifierFlag::Control), {"Ctrl", "Left"}},
        {"us", 0, Shortcut(Key::pageDown, {}), {"PgDown"}},
        {"us", 0, Shortcut(Key::keypad0, {}), {"Num+0"}},
        {"us", 0, Shortcut(Key::keypadEnter, ModifierFlag::Command), {"Super", "Num+Enter"}},
        {"us", 0, Shortcut(Key::keypadClear, {}), {"NumLock"}},
        {"us", 0, Shortcut(Key::backtick, ModifierFlag::Control), {"Ctrl", "`"}},
        {"us", 0, Shortcut(Key::equal, ModifierFlag::Command), {"Super", "="}},
        {"us", 0, Shortcut(Key::mute, ModifierFlag::Command), {"Super", "Volume Mute"}},
        // A key the layout gives no character.
        {"us", 0, Shortcut(500, 0x100), {"Super", QString(QChar(0xFFFD))}},
        // German: Y and Z swap, umlauts, ß keeps its form.
        {"de", 0, Shortcut(Key::y, ModifierFlag::Command), {"Super", "Z"}},
        {"de", 0, Shortcut(Key::semicolon, ModifierFlag::Command), {"Super", "Ö"}},
        {"de", 0, Shortcut(Key::minus, ModifierFlag::Command), {"Super", "ß"}},
        // French: the digit row types other characters without Shift.
        {"fr", 0, Shortcut(Key::one, ModifierFlag::Command), {"Super", "&"}},
        {"fr", 0, Shortcut(Key::a, ModifierFlag::Control), {"Ctrl", "Q"}},
        // With a Cyrillic group active, keys are named from the Latin one.
        {"us,ru", 1, Shortcut(Key::v, ModifierFlag::Shift | ModifierFlag::Command), {"Shift", "Super", "V"}},
    };
    for (const Case& c : cases) {
        const auto layout =
            Hotkeys::KeyboardLayout::fromNames(QString::fromLatin1(c.layouts), {}, c.activeGroup);
        ASSERT_TRUE(layout) << c.layouts;
        const QStringList caps = KeyNotation::keyCaps(c.shortcut, *layout);
        EXPECT_EQ(caps, c.caps) << c.layouts << " " << c.shortcut.toJson().constData();
        EXPECT_EQ(KeyNotation::text(c.shortcut, *layout), c.caps.join(u'+'));
        EXPECT_FALSE(hasForeignGlyph(KeyNotation::text(c.shortcut, *layout)))
            << c.shortcut.toJson().constData();
    }
    EXPECT_EQ(KeyNotation::withModifiers(ModifierFlag::Control, KeyNotation::click()), "Ctrl+click");
    EXPECT_EQ(KeyNotation::withModifiers(ModifierFlag::Control, QStringLiteral("1")), "Ctrl+1");
    EXPECT_EQ(KeyNotation::joined({"Shift", "Super", "V"}), "Shift+Super+V");
}

TEST(KeyNotation, WordsFollowTheInterfaceLanguage) {
    const auto us = Hotkeys::KeyboardLayout::fromNames(QStringLiteral("us"));
    ASSERT_TRUE(us);
    QTranslator polish;
    ASSERT_TRUE(polish.load(QStringLiteral(QS_TEST_BINARY_DIR "/src/App/quillstack_pl.qm")));
    QCoreApplication::installTranslator(&polish);
    EXPECT_EQ(KeyNotation::text(Shortcut(Key::space, ModifierFlag::Command), *us), "Super+Spacja");
    EXPECT_EQ(KeyNotation::text(Shortcut(Key::v, ModifierFlag::Shift | ModifierFlag::Command), *us),
              "Shift+Super+V");
    EXPECT_EQ(KeyNotation::text(Shortcut(Key::return_, ModifierFlag::Control), *us), "Ctrl+Return");
    EXPECT_EQ(KeyNotation::text(Shortcut(Key::escape, {}), *us), "Esc");
    EXPECT_EQ(KeyNotation::text(Shortcut(Key::upArrow, ModifierFlag::Option), *us), "Alt+Góra");
    EXPECT_EQ(KeyNotation::withModifiers(ModifierFlag::Control, KeyNotation::click()), "Ctrl+kliknięcie");
    QCoreApplication::removeTranslator(&polish);
    EXPECT_EQ(KeyNotation::text(Shortcut(Key::space, ModifierFlag::Command), *us), "Super+Space");
}

} // namespace
