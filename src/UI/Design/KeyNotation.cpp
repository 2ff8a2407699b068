#include "KeyNotation.h"

#include <Hotkeys/KeyboardLayout.h>
#include <Hotkeys/Shortcut.h>

#include <QCoreApplication>

#include <optional>

namespace KeyNotation {
namespace {

using Hotkeys::Key;

const char* const kContext = "KeyNotation";

QString translated(const char* word) {
    return QCoreApplication::translate(kContext, word);
}

// Keys that type nothing, by the names the desktop gives them.
struct NamedKey {
    Key key;
    const char* name;
};

const NamedKey kNamedKeys[] = {
    {Key::return_, QT_TRANSLATE_NOOP("KeyNotation", "Return")},
    {Key::tab, QT_TRANSLATE_NOOP("KeyNotation", "Tab")},
    {Key::space, QT_TRANSLATE_NOOP("KeyNotation", "Space")},
    {Key::delete_, QT_TRANSLATE_NOOP("KeyNotation", "Backspace")},
    {Key::deleteForward, QT_TRANSLATE_NOOP("KeyNotation", "Del")},
    // Where PC keyboards have Insert.
    {Key::help, QT_TRANSLATE_NOOP("KeyNotation", "Ins")},
    {Key::escape, QT_TRANSLATE_NOOP("KeyNotation", "Esc")},
    {Key::home, QT_TRANSLATE_NOOP("KeyNotation", "Home")},
    {Key::end, QT_TRANSLATE_NOOP("KeyNotation", "End")},
    {Key::pageUp, QT_TRANSLATE_NOOP("KeyNotation", "PgUp")},
    {Key::pageDown, QT_TRANSLATE_NOOP("KeyNotation", "PgDown")},
    {Key::upArrow, QT_TRANSLATE_NOOP("KeyNotation", "Up")},
    {Key::downArrow, QT_TRANSLATE_NOOP("KeyNotation", "Down")},
    {Key::leftArrow, QT_TRANSLATE_NOOP("KeyNotation", "Left")},
    {Key::rightArrow, QT_TRANSLATE_NOOP("KeyNotation", "Right")},
    {Key::control, QT_TRANSLATE_NOOP("KeyNotation", "Ctrl")},
    {Key::rightControl, QT_TRANSLATE_NOOP("KeyNotation", "Ctrl")},
    {Key::option, QT_TRANSLATE_NOOP("KeyNotation", "Alt")},
    {Key::rightOption, QT_TRANSLATE_NOOP("KeyNotation", "Alt")},
    {Key::shift, QT_TRANSLATE_NOOP("KeyNotation", "Shift")},
    {Key::rightShift, QT_TRANSLATE_NOOP("KeyNotation", "Shift")},
    {Key::command, QT_TRANSLATE_NOOP("KeyNotation", "Super")},
    {Key::rightCommand, QT_TRANSLATE_NOOP("KeyNotation", "Super")},
    {Key::capsLock, QT_TRANSLATE_NOOP("KeyNotation", "CapsLock")},
    {Key::function, QT_TRANSLATE_NOOP("KeyNotation", "Fn")},
    // Where PC keyboards have Num Lock.
    {Key::keypadClear, QT_TRANSLATE_NOOP("KeyNotation", "NumLock")},
    {Key::mute, QT_TRANSLATE_NOOP("KeyNotation", "Volume Mute")},
    {Key::volumeUp, QT_TRANSLATE_NOOP("KeyNotation", "Volume Up")},
    {Key::volumeDown, QT_TRANSLATE_NOOP("KeyNotation", "Volume Down")},
};

const Key kFunctionKeys[] = {Key::f1,  Key::f2,  Key::f3,  Key::f4,  Key::f5,  Key::f6,  Key::f7,
                             Key::f8,  Key::f9,  Key::f10, Key::f11, Key::f12, Key::f13, Key::f14,
                             Key::f15, Key::f16, Key::f17, Key::f18, Key::f19, Key::f20};

// The keypad's keys, written as the keypad ("Num") with the key's own symbol.
struct KeypadKey {
    Key key;
    const char* symbol;
};

const KeypadKey kKeypadKeys[] = {
    {Key::keypad0, "0"},      {Key::keypad1, "1"},         {Key::keypad2, "2"},
    {Key::keypad3, "3"},      {Key::keypad4, "4"},         {Key::keypad5, "5"},
    {Key::keypad6, "6"},      {Key::keypad7, "7"},         {Key::keypad8, "8"},
    {Key::keypad9, "9"},      {Key::keypadDecimal, "."},   {Key::keypadDivide, "/"},
    {Key::keypadEquals, "="}, {Key::keypadMinus, "-"},     {Key::keypadMultiply, "*"},
    {Key::keypadPlus, "+"},   {Key::keypadEnter, nullptr},
};

// The name of a key that is not named by what it types, or none.
std::optional<QString> fixedName(Key key) {
    for (const NamedKey& named : kNamedKeys) {
        if (named.key == key)
            return translated(named.name);
    }
    for (std::size_t n = 0; n < std::size(kFunctionKeys); ++n) {
        if (kFunctionKeys[n] == key)
            return QStringLiteral("F%1").arg(n + 1);
    }
    for (const KeypadKey& keypad : kKeypadKeys) {
        if (keypad.key == key) {
            const QString symbol = keypad.symbol ? QString::fromLatin1(keypad.symbol)
                                                 : translated(QT_TRANSLATE_NOOP("KeyNotation", "Enter"));
            return joined({translated(QT_TRANSLATE_NOOP("KeyNotation", "Num")), symbol});
        }
    }
    return std::nullopt;
}

QString capitalised(const QString& character) {
    const QString upper = character.toUpper();
    // Letters whose capital is longer (ß) keep their own form.
    return upper.size() == character.size() ? upper : character;
}

} // namespace

QStringList modifierNames(Hotkeys::ModifierFlags modifiers) {
    using Hotkeys::ModifierFlag;
    const std::pair<ModifierFlag, const char*> order[] = {
        {ModifierFlag::Control, QT_TRANSLATE_NOOP("KeyNotation", "Ctrl")},
        {ModifierFlag::Option, QT_TRANSLATE_NOOP("KeyNotation", "Alt")},
        {ModifierFlag::Shift, QT_TRANSLATE_NOOP("KeyNotation", "Shift")},
        {ModifierFlag::Command, QT_TRANSLATE_NOOP("KeyNotation", "Super")},
        {ModifierFlag::Function, QT_TRANSLATE_NOOP("KeyNotation", "Fn")},
    };
    QStringList names;
    for (const auto& [flag, name] : order) {
        if (modifiers & flag)
            names << translated(name);
    }
    return names;
}

QString keyName(Key key, const Hotkeys::KeyboardLayout& layout) {
    if (std::optional<QString> name = fixedName(key))
        return *name;
    const std::optional<QString> character = layout.character(key);
    return character ? capitalised(*character) : QString(QChar(0xFFFD));
}

QStringList keyCaps(const Hotkeys::Shortcut& shortcut, const Hotkeys::KeyboardLayout& layout) {
    return modifierNames(shortcut.modifiers()) << keyName(shortcut.key(), layout);
}

QStringList keyCaps(const Hotkeys::Shortcut& shortcut) {
    // Reading the layout asks the X server: only for keys named by what they type.
    if (std::optional<QString> name = fixedName(shortcut.key()))
        return modifierNames(shortcut.modifiers()) << *name;
    return keyCaps(shortcut, *Hotkeys::KeyboardLayout::current());
}

QString text(const Hotkeys::Shortcut& shortcut, const Hotkeys::KeyboardLayout& layout) {
    return joined(keyCaps(shortcut, layout));
}

QString text(const Hotkeys::Shortcut& shortcut) {
    return joined(keyCaps(shortcut));
}

QString joined(const QStringList& keys) {
    return keys.join(u'+');
}

QString withModifiers(Hotkeys::ModifierFlags modifiers, const QString& rest) {
    return joined(modifierNames(modifiers) << rest);
}

QString click() {
    return translated(QT_TRANSLATE_NOOP("KeyNotation", "click"));
}

} // namespace KeyNotation
