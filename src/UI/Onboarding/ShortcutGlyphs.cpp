#include "ShortcutGlyphs.h"

#include <Hotkeys/Hotkeys.h>

QStringList shortcutGlyphs(const Hotkeys::Shortcut& shortcut, const Hotkeys::KeyboardLayout& layout) {
    using Hotkeys::ModifierFlag;
    const Hotkeys::ModifierFlags modifiers = shortcut.modifiers();
    QStringList glyphs;
    for (const ModifierFlag flag : {ModifierFlag::Control, ModifierFlag::Option, ModifierFlag::Shift,
                                    ModifierFlag::Command, ModifierFlag::Function}) {
        if (modifiers & flag)
            glyphs << Hotkeys::symbolicRepresentation(flag);
    }
    // The whole rendering is the modifiers' glyphs followed by the key's.
    const QString whole = shortcut.presentableDescription(layout);
    glyphs << whole.mid(Hotkeys::symbolicRepresentation(modifiers).size());
    return glyphs;
}
