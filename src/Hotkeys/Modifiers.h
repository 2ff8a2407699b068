#pragma once

#include <QFlags>
#include <QString>
#include <Qt>

namespace Hotkeys {

// Modifier keys of a shortcut. The values are the bits of the desktop modifier-flag word the stored
// format was defined against; Command is the Super key for global shortcuts.
enum class ModifierFlag : quint32 {
    CapsLock = 0x10000,
    Shift = 0x20000,
    Control = 0x40000,
    Option = 0x80000,
    Command = 0x100000,
    NumericPad = 0x200000,
    Help = 0x400000,
    Function = 0x800000,
};
Q_DECLARE_FLAGS(ModifierFlags, ModifierFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(ModifierFlags)

// The stored modifier bits (control 0x1000, option 0x800, shift 0x200, command 0x100, Fn 0x20000).
namespace CarbonModifier {
inline constexpr qint64 control = 0x1000;
inline constexpr qint64 option = 0x800;
inline constexpr qint64 shift = 0x200;
inline constexpr qint64 command = 0x100;
inline constexpr qint64 function = 0x20000;
} // namespace CarbonModifier

// Only Control, Option, Shift, Command and Function cross over; every other flag or bit is dropped.
qint64 carbonModifiers(ModifierFlags flags);
ModifierFlags modifierFlags(qint64 carbonModifiers);

// Qt's modifiers of a key event: Meta (Super on X11) is Command, Alt is Option, the keypad flag is
// NumericPad. AltGr and the rest have no counterpart.
ModifierFlags modifierFlags(Qt::KeyboardModifiers qtModifiers);
// The reverse, for key sequences inside Qt: Function has no Qt modifier and is dropped.
Qt::KeyboardModifiers qtModifiers(ModifierFlags flags);

// The modifier glyphs ⌃⌥⇧⌘ (and the globe for Fn), always in this order.
QString symbolicRepresentation(ModifierFlags flags);

} // namespace Hotkeys
