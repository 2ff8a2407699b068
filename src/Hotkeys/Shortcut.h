#pragma once

#include "Hotkeys/Key.h"
#include "Hotkeys/Modifiers.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QKeyEvent;

namespace Hotkeys {

class KeyboardLayout;
class Name;

// A keyboard shortcut: one key plus modifier keys, in the stored numbering (key numbers of Key,
// modifier bits of CarbonModifier). Compared and hashed as stored.
class Shortcut {
public:
    // Keeps the key code; keeps only the five known modifier bits.
    Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers);
    Shortcut(Key key, ModifierFlags modifiers);

    // The shortcut a key press or release stands for (the Function flag never counts); none for other
    // events and for keys whose position has no stored number.
    static std::optional<Shortcut> fromKeyEvent(const QKeyEvent& event);
    // The shortcut currently stored for the name.
    static std::optional<Shortcut> forName(const Name& name);

    // Stored form: the compact JSON object {"carbonKeyCode":…,"carbonModifiers":…}. Decoding needs
    // both members as integers, ignores other members and keeps the numbers as stored.
    QByteArray toJson() const;
    static std::optional<Shortcut> fromJson(const QByteArray& json);

    qint64 carbonKeyCode() const { return m_carbonKeyCode; }
    qint64 carbonModifiers() const { return m_carbonModifiers; }
    Key key() const { return Key(m_carbonKeyCode); }
    ModifierFlags modifiers() const { return modifierFlags(m_carbonModifiers); }

    // Modifier glyphs then the key: a fixed glyph or name for special keys, otherwise the key's
    // character in the keyboard layout, capitalised (U+FFFD when the layout gives none).
    QString presentableDescription() const;
    QString presentableDescription(const KeyboardLayout& layout) const;
    // The unshifted character the key types in the layout; none for special keys.
    std::optional<QString> keyToCharacter(const KeyboardLayout& layout) const;

    // The shortcut as a Qt key sequence for actions and buttons (Command is Meta); none for keypad
    // keys, for keys the layout gives no character, and when Fn is part of it.
    std::optional<QKeySequence> keySequence() const;
    std::optional<QKeySequence> keySequence(const KeyboardLayout& layout) const;

    // The first action (depth first through submenus) whose key sequence is this shortcut.
    QAction* menuItemWithMatchingShortcut(const QList<QAction*>& actions) const;

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

private:
    struct Raw {};
    Shortcut(Raw, qint64 keyCode, qint64 modifiers)
        : m_carbonKeyCode(keyCode), m_carbonModifiers(modifiers) {}

    qint64 m_carbonKeyCode;
    qint64 m_carbonModifiers;
};

inline size_t qHash(const Shortcut& shortcut, size_t seed = 0) {
    return qHashMulti(seed, shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

// Whether the key is one of F1…F35 (Qt key codes), the only keys accepted without a modifier.
bool isFunctionKey(int qtKey);

} // namespace Hotkeys

template <> struct std::hash<Hotkeys::Shortcut> {
    size_t operator()(const Hotkeys::Shortcut& shortcut) const { return Hotkeys::qHash(shortcut); }
};
