#include "Hotkeys/Modifiers.h"

namespace Hotkeys {

qint64 carbonModifiers(ModifierFlags flags) {
    qint64 result = 0;
    if (flags & ModifierFlag::Control)
        result += CarbonModifier::control;
    if (flags & ModifierFlag::Option)
        result += CarbonModifier::option;
    if (flags & ModifierFlag::Shift)
        result += CarbonModifier::shift;
    if (flags & ModifierFlag::Command)
        result += CarbonModifier::command;
    if (flags & ModifierFlag::Function)
        result += CarbonModifier::function;
    return result;
}

ModifierFlags modifierFlags(qint64 carbon) {
    ModifierFlags flags;
    if (carbon & CarbonModifier::control)
        flags |= ModifierFlag::Control;
    if (carbon & CarbonModifier::option)
        flags |= ModifierFlag::Option;
    if (carbon & CarbonModifier::shift)
        flags |= ModifierFlag::Shift;
    if (carbon & CarbonModifier::command)
        flags |= ModifierFlag::Command;
    if (carbon & CarbonModifier::function)
        flags |= ModifierFlag::Function;
    return flags;
}

ModifierFlags modifierFlags(Qt::KeyboardModifiers qt) {
    ModifierFlags flags;
    if (qt & Qt::ShiftModifier)
        flags |= ModifierFlag::Shift;
    if (qt & Qt::ControlModifier)
        flags |= ModifierFlag::Control;
    if (qt & Qt::AltModifier)
        flags |= ModifierFlag::Option;
    if (qt & Qt::MetaModifier)
        flags |= ModifierFlag::Command;
    if (qt & Qt::KeypadModifier)
        flags |= ModifierFlag::NumericPad;
    return flags;
}

Qt::KeyboardModifiers qtModifiers(ModifierFlags flags) {
    Qt::KeyboardModifiers qt;
    if (flags & ModifierFlag::Shift)
        qt |= Qt::ShiftModifier;
    if (flags & ModifierFlag::Control)
        qt |= Qt::ControlModifier;
    if (flags & ModifierFlag::Option)
        qt |= Qt::AltModifier;
    if (flags & ModifierFlag::Command)
        qt |= Qt::MetaModifier;
    if (flags & ModifierFlag::NumericPad)
        qt |= Qt::KeypadModifier;
    return qt;
}

QString symbolicRepresentation(ModifierFlags flags) {
    QString glyphs;
    if (flags & ModifierFlag::Control)
        glyphs += QChar(0x2303);
    if (flags & ModifierFlag::Option)
        glyphs += QChar(0x2325);
    if (flags & ModifierFlag::Shift)
        glyphs += QChar(0x21E7);
    if (flags & ModifierFlag::Command)
        glyphs += QChar(0x2318);
    if (flags & ModifierFlag::Function)
        glyphs += QString::fromUcs4(U"\U0001F310\uFE0E");
    return glyphs;
}

} // namespace Hotkeys
