#pragma once

#include <Hotkeys/Key.h>
#include <Hotkeys/Modifiers.h>

#include <QString>
#include <QStringList>

namespace Hotkeys {
class KeyboardLayout;
class Shortcut;
} // namespace Hotkeys

// Keys as the desktop writes them, for every hint, key cap and shortcut field of the application:
// words joined by "+", modifiers first in the order Ctrl, Alt, Shift, Super ("Shift+Super+V",
// "Ctrl+Return"); a key cap holds one key ("Shift", "Super", "V"). The words are translated (context
// "KeyNotation"). Stored shortcuts keep the Control, Option, Shift and Command bits; they are the
// Ctrl, Alt, Shift and Super keys.
namespace KeyNotation {

// The words of the modifiers present, in the desktop's order ("Fn" last, for a stored Function bit).
QStringList modifierNames(Hotkeys::ModifierFlags modifiers);

// The name of a key: a fixed word for keys that type nothing ("Return", "Esc", "Space", "F5",
// "Num+1" for the keypad), otherwise the character the key types in `layout` without modifiers, in
// upper case ("V"); U+FFFD when the layout gives it none.
QString keyName(Hotkeys::Key key, const Hotkeys::KeyboardLayout& layout);

// One entry per key of the shortcut: its modifiers, then its key.
QStringList keyCaps(const Hotkeys::Shortcut& shortcut, const Hotkeys::KeyboardLayout& layout);
QStringList keyCaps(const Hotkeys::Shortcut& shortcut);

// The whole shortcut in one text: "Shift+Super+V". Without a layout, the current one.
QString text(const Hotkeys::Shortcut& shortcut, const Hotkeys::KeyboardLayout& layout);
QString text(const Hotkeys::Shortcut& shortcut);

// Keys written one after another: {"Shift", "Super", "V"} becomes "Shift+Super+V".
QString joined(const QStringList& keys);

// Modifiers held with something that is not a key of its own: "Ctrl+click", "Ctrl+1".
QString withModifiers(Hotkeys::ModifierFlags modifiers, const QString& rest);

// "click", as in "Ctrl+click".
QString click();

} // namespace KeyNotation
