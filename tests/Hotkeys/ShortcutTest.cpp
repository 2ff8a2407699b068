#include <Hotkeys/Hotkeys.h>

#include <QKeyEvent>

#include <gtest/gtest.h>

#include <unordered_set>

using namespace Hotkeys;

namespace {

// X keycodes (evdev code + 8) of a few keys.
constexpr quint32 kXKeyV = 55;
constexpr quint32 kXKeyF1 = 67;

QKeyEvent keyEvent(QEvent::Type type, int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode) {
    return QKeyEvent(type, qtKey, modifiers, scanCode, 0, 0);
}

} // namespace

TEST(HotkeysModifierConversion, KnowsExactlyFiveModifiers) {
    EXPECT_EQ(carbonModifiers(ModifierFlag::Shift | ModifierFlag::Command), 0x300);
    EXPECT_EQ(carbonModifiers(ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command), 0xB00);
    EXPECT_EQ(carbonModifiers(ModifierFlag::Control | ModifierFlag::Option), 0x1800);
    EXPECT_EQ(carbonModifiers(ModifierFlag::Function), 0x20000);
    EXPECT_EQ(carbonModifiers(ModifierFlag::CapsLock | ModifierFlag::NumericPad | ModifierFlag::Help), 0);
    EXPECT_EQ(modifierFlags(qint64(0x1B00)),
              ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command);
    // Alpha lock, right-side bits and the mouse button bit have no flag.
    EXPECT_EQ(modifierFlags(qint64(0x400 | 0x2000 | 0x4000 | 0x80)), ModifierFlags());
}

TEST(HotkeysModifierConversion, SuperIsCommandAltIsOption) {
    EXPECT_EQ(modifierFlags(Qt::ShiftModifier | Qt::MetaModifier),
              ModifierFlag::Shift | ModifierFlag::Command);
    EXPECT_EQ(modifierFlags(Qt::AltModifier | Qt::ControlModifier),
              ModifierFlag::Option | ModifierFlag::Control);
    EXPECT_EQ(qtModifiers(ModifierFlag::Option | ModifierFlag::Command | ModifierFlag::Function),
              Qt::AltModifier | Qt::MetaModifier);
}

TEST(HotkeysShortcutValue, NormalisesModifiersWhenBuilt) {
    EXPECT_EQ(Shortcut(9, 0x700).carbonModifiers(), 0x300);
    EXPECT_EQ(Shortcut(122, 0x20000).carbonModifiers(), 0x20000);
    const Shortcut showHistory(Key::v, ModifierFlag::Shift | ModifierFlag::Command);
    EXPECT_EQ(showHistory.carbonKeyCode(), 9);
    EXPECT_EQ(showHistory.carbonModifiers(), 768);
    const Shortcut pastePlainText(Key::v, ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command);
    EXPECT_EQ(pastePlainText.carbonModifiers(), 2816);
    EXPECT_EQ(Key(500).rawValue, 500);
}

TEST(HotkeysShortcutValue, EqualityAndHashFollowBothFields) {
    std::unordered_set<Shortcut> set{Shortcut(9, 768), Shortcut(9, 768), Shortcut(9, 256), Shortcut(8, 768)};
    EXPECT_EQ(set.size(), 3u);
    const auto decoded = Shortcut::fromJson(R"({"carbonModifiers":768,"carbonKeyCode":9})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, Shortcut(9, 768));
    EXPECT_EQ(qHash(*decoded), qHash(Shortcut(9, 768)));
}

TEST(HotkeysShortcutJson, EncodesCompactObjectWithBothMembers) {
    const QByteArray json = Shortcut(Key::v, ModifierFlag::Shift | ModifierFlag::Command).toJson();
    EXPECT_EQ(json, R"({"carbonKeyCode":9,"carbonModifiers":768})");
    EXPECT_EQ(Shortcut::fromJson(json), Shortcut(9, 768));
}

TEST(HotkeysShortcutJson, DecodesOnlyObjectsWithTwoIntegers) {
    struct Case {
        const char* json;
        std::optional<Shortcut> expected;
    };
    const Case cases[] = {
        {R"({"carbonKeyCode":9,"carbonModifiers":768})", Shortcut(9, 768)},
        {R"({"carbonModifiers":2816,"carbonKeyCode":9})", Shortcut(9, 2816)},
        {R"({"carbonKeyCode":9,"carbonModifiers":768,"extra":"ignored"})", Shortcut(9, 768)},
        {R"({"carbonKeyCode":9})", std::nullopt},
        {R"({"carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":"9","carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":9.5,"carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":true,"carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":null,"carbonModifiers":768})", std::nullopt},
        {"0", std::nullopt},
        {"false", std::nullopt},
        {R"([9,768])", std::nullopt},
        {"", std::nullopt},
        {"{\"carbonKeyCode\":9,", std::nullopt},
        {"not json", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(Shortcut::fromJson(c.json), c.expected);
    }
    // Decoding keeps the numbers as stored: 1024 is a bit outside the five and survives.
    const auto withAlphaLock = Shortcut::fromJson(R"({"carbonKeyCode":9,"carbonModifiers":1024})");
    ASSERT_TRUE(withAlphaLock);
    EXPECT_EQ(withAlphaLock->carbonModifiers(), 1024);
    EXPECT_NE(*withAlphaLock, Shortcut(9, 0));
}

TEST(HotkeysShortcutFromKeyEvent, TakesKeyPositionAndModifiers) {
    const auto press = keyEvent(QEvent::KeyPress, Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier, kXKeyV);
    EXPECT_EQ(Shortcut::fromKeyEvent(press), Shortcut(9, 768));
    const auto release = keyEvent(QEvent::KeyRelease, Qt::Key_V, Qt::AltModifier, kXKeyV);
    EXPECT_EQ(Shortcut::fromKeyEvent(release), Shortcut(9, 0x800));
    // The key's position counts, not the character: Cyrillic М sits on the V key.
    const auto cyrillic = keyEvent(QEvent::KeyPress, 0x41C, Qt::ControlModifier, kXKeyV);
    EXPECT_EQ(Shortcut::fromKeyEvent(cyrillic), Shortcut(9, 0x1000));
    const auto keypad = keyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::KeypadModifier, kXKeyF1);
    EXPECT_EQ(Shortcut::fromKeyEvent(keypad), Shortcut(122, 0));
}

TEST(HotkeysShortcutFromKeyEvent, NoShortcutForOtherEventsOrUnknownKeys) {
    const auto override = keyEvent(QEvent::ShortcutOverride, Qt::Key_V, Qt::MetaModifier, kXKeyV);
    EXPECT_FALSE(Shortcut::fromKeyEvent(override));
    const auto noScanCode = keyEvent(QEvent::KeyPress, Qt::Key_V, Qt::MetaModifier, 0);
    EXPECT_FALSE(Shortcut::fromKeyEvent(noScanCode));
    // A key position the stored format has no number for (the Menu key, evdev 127).
    const auto menuKey = keyEvent(QEvent::KeyPress, Qt::Key_Menu, Qt::MetaModifier, 127 + 8);
    EXPECT_FALSE(Shortcut::fromKeyEvent(menuKey));
}

TEST(HotkeysKeyPositions, MapBothWays) {
    EXPECT_EQ(evdevCodeForKey(Key::v), 47);
    EXPECT_EQ(evdevCodeForKey(Key::f1), 59);
    EXPECT_EQ(evdevCodeForKey(Key::help), 110);
    EXPECT_FALSE(evdevCodeForKey(Key::function));
    EXPECT_FALSE(evdevCodeForKey(Key(500)));
    EXPECT_EQ(keyForEvdevCode(47), Key::v);
    EXPECT_EQ(keyForEvdevCode(125), Key::command);
    EXPECT_FALSE(keyForEvdevCode(127));
}
