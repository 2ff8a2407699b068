#include "Hotkeys/Shortcut.h"

#include "Hotkeys/KeyboardLayout.h"
#include "Hotkeys/Localization.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMenu>

#include <cmath>

namespace Hotkeys {
namespace {

// The X keycode of a key is its evdev code plus this.
constexpr quint32 kX11KeycodeOffset = 8;

// Keys shown without the keyboard layout: a fixed glyph or name, and their Qt key (none for keypad
// keys, which have no key equivalent of their own).
struct SpecialKey {
    qint64 key;
    const char16_t* glyph; // null: the localised name of the Space key
    int qtKey;             // 0: none
};

constexpr char16_t kKeycap[] = u"\u20E3";

const SpecialKey kSpecialKeys[] = {
    {Key::return_.rawValue, u"\u21A9", Qt::Key_Return},
    {Key::delete_.rawValue, u"\u232B", Qt::Key_Backspace},
    {Key::deleteForward.rawValue, u"\u2326", Qt::Key_Delete},
    {Key::end.rawValue, u"\u2198", Qt::Key_End},
    {Key::escape.rawValue, u"\u238B", Qt::Key_Escape},
    {Key::help.rawValue, u"?\u20DD", Qt::Key_Help},
    {Key::home.rawValue, u"\u2196", Qt::Key_Home},
    {Key::space.rawValue, nullptr, Qt::Key_Space},
    {Key::tab.rawValue, u"\u21E5", Qt::Key_Tab},
    {Key::pageUp.rawValue, u"\u21DE", Qt::Key_PageUp},
    {Key::pageDown.rawValue, u"\u21DF", Qt::Key_PageDown},
    {Key::upArrow.rawValue, u"\u2191", Qt::Key_Up},
    {Key::rightArrow.rawValue, u"\u2192", Qt::Key_Right},
    {Key::downArrow.rawValue, u"\u2193", Qt::Key_Down},
    {Key::leftArrow.rawValue, u"\u2190", Qt::Key_Left},
    {Key::f1.rawValue, u"F1", Qt::Key_F1},
    {Key::f2.rawValue, u"F2", Qt::Key_F2},
    {Key::f3.rawValue, u"F3", Qt::Key_F3},
    {Key::f4.rawValue, u"F4", Qt::Key_F4},
    {Key::f5.rawValue, u"F5", Qt::Key_F5},
    {Key::f6.rawValue, u"F6", Qt::Key_F6},
    {Key::f7.rawValue, u"F7", Qt::Key_F7},
    {Key::f8.rawValue, u"F8", Qt::Key_F8},
    {Key::f9.rawValue, u"F9", Qt::Key_F9},
    {Key::f10.rawValue, u"F10", Qt::Key_F10},
    {Key::f11.rawValue, u"F11", Qt::Key_F11},
    {Key::f12.rawValue, u"F12", Qt::Key_F12},
    {Key::f13.rawValue, u"F13", Qt::Key_F13},
    {Key::f14.rawValue, u"F14", Qt::Key_F14},
    {Key::f15.rawValue, u"F15", Qt::Key_F15},
    {Key::f16.rawValue, u"F16", Qt::Key_F16},
    {Key::f17.rawValue, u"F17", Qt::Key_F17},
    {Key::f18.rawValue, u"F18", Qt::Key_F18},
    {Key::f19.rawValue, u"F19", Qt::Key_F19},
    {Key::f20.rawValue, u"F20", Qt::Key_F20},
    {Key::keypad0.rawValue, u"0", 0},
    {Key::keypad1.rawValue, u"1", 0},
    {Key::keypad2.rawValue, u"2", 0},
    {Key::keypad3.rawValue, u"3", 0},
    {Key::keypad4.rawValue, u"4", 0},
    {Key::keypad5.rawValue, u"5", 0},
    {Key::keypad6.rawValue, u"6", 0},
    {Key::keypad7.rawValue, u"7", 0},
    {Key::keypad8.rawValue, u"8", 0},
    {Key::keypad9.rawValue, u"9", 0},
    {Key::keypadClear.rawValue, u"\u2612", 0},
    {Key::keypadDecimal.rawValue, u".", 0},
    {Key::keypadDivide.rawValue, u"/", 0},
    {Key::keypadEnter.rawValue, u"\u21A9", 0},
    {Key::keypadEquals.rawValue, u"=", 0},
    {Key::keypadMinus.rawValue, u"-", 0},
    {Key::keypadMultiply.rawValue, u"*", 0},
    {Key::keypadPlus.rawValue, u"+", 0},
};

bool isKeypadKey(const SpecialKey& special) {
    return special.glyph && special.qtKey == 0;
}

const SpecialKey* specialKey(qint64 key) {
    for (const SpecialKey& special : kSpecialKeys) {
        if (special.key == key)
            return &special;
    }
    return nullptr;
}

QString presentableDescription(const SpecialKey& special) {
    if (!special.glyph) {
        QString name = localized("space_key");
        if (!name.isEmpty())
            name[0] = name[0].toUpper();
        return name;
    }
    QString text = QString::fromUtf16(special.glyph);
    if (isKeypadKey(special))
        text += QString::fromUtf16(kKeycap);
    return text;
}

QString capitalized(const QString& character) {
    const QString upper = character.toUpper();
    // Letters whose capital is longer (ß) keep their own form.
    return upper.size() == character.size() ? upper : character;
}

std::optional<qint64> integerMember(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number || std::abs(number) > 9007199254740992.0)
        return std::nullopt;
    return value.toInteger();
}

} // namespace

Shortcut::Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode),
      m_carbonModifiers(Hotkeys::carbonModifiers(modifierFlags(carbonModifiers))) {}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : m_carbonKeyCode(key.rawValue), m_carbonModifiers(Hotkeys::carbonModifiers(modifiers)) {}

std::optional<Shortcut> Shortcut::fromKeyEvent(const QKeyEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return std::nullopt;
    if (event.nativeScanCode() <= kX11KeycodeOffset)
        return std::nullopt;
    const auto key = keyForEvdevCode(int(event.nativeScanCode() - kX11KeycodeOffset));
    if (!key)
        return std::nullopt;
    ModifierFlags flags = modifierFlags(event.modifiers());
    flags &= ~ModifierFlags(ModifierFlag::Function);
    return Shortcut(*key, flags);
}

QByteArray Shortcut::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("carbonKeyCode"), m_carbonKeyCode);
    object.insert(QStringLiteral("carbonModifiers"), m_carbonModifiers);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = integerMember(object, "carbonKeyCode");
    const auto modifiers = integerMember(object, "carbonModifiers");
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut(Raw{}, *keyCode, *modifiers);
}

QString Shortcut::presentableDescription() const {
    return presentableDescription(*KeyboardLayout::current());
}

QString Shortcut::presentableDescription(const KeyboardLayout& layout) const {
    QString text = symbolicRepresentation(modifiers());
    if (const SpecialKey* special = specialKey(m_carbonKeyCode))
        return text + Hotkeys::presentableDescription(*special);
    const auto character = keyToCharacter(layout);
    return text + capitalized(character.value_or(QString(QChar(0xFFFD))));
}

std::optional<QString> Shortcut::keyToCharacter(const KeyboardLayout& layout) const {
    if (specialKey(m_carbonKeyCode))
        return std::nullopt;
    return layout.character(key());
}

std::optional<QKeySequence> Shortcut::keySequence() const {
    return keySequence(*KeyboardLayout::current());
}

std::optional<QKeySequence> Shortcut::keySequence(const KeyboardLayout& layout) const {
    const ModifierFlags flags = modifiers();
    if (flags & ModifierFlag::Function)
        return std::nullopt;
    int qtKey = 0;
    if (const SpecialKey* special = specialKey(m_carbonKeyCode)) {
        qtKey = special->qtKey;
    } else if (const auto character = keyToCharacter(layout)) {
        // Qt names a character key by its upper-case code point.
        qtKey = int(character->toUpper().toUcs4().value(0));
    }
    if (qtKey == 0)
        return std::nullopt;
    return QKeySequence(QKeyCombination(qtModifiers(flags), Qt::Key(qtKey)));
}

QAction* Shortcut::menuItemWithMatchingShortcut(const QList<QAction*>& actions) const {
    const auto sequence = keySequence();
    if (!sequence)
        return nullptr;
    for (QAction* action : actions) {
        if (action->shortcuts().contains(*sequence))
            return action;
        if (QMenu* submenu = action->menu()) {
            if (QAction* match = menuItemWithMatchingShortcut(submenu->actions()))
                return match;
        }
    }
    return nullptr;
}

bool isFunctionKey(int qtKey) {
    return qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35;
}

} // namespace Hotkeys
