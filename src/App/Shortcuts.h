#pragma once

#include <QString>

#include <functional>

namespace App {

// A named global shortcut with its default: a key number and modifier flags as the shortcut
// library numbers them (Hotkeys::Key, Hotkeys::ModifierFlag).
struct ShortcutName {
    QString name;
    quint32 defaultKeyCode;
    quint32 defaultModifiers;
};

namespace Shortcuts {
inline constexpr quint32 keyV = 9;
inline constexpr quint32 shiftFlag = 0x20000;
inline constexpr quint32 optionFlag = 0x80000;
inline constexpr quint32 commandFlag = 0x100000;

// Shift+Super+V: toggles the history panel.
inline const ShortcutName showHistory{QStringLiteral("showHistory"), keyV, shiftFlag | commandFlag};
// Alt+Shift+Super+V: pastes the newest item as plain text.
inline const ShortcutName pastePlainText{QStringLiteral("pastePlainText"), keyV,
                                         optionFlag | shiftFlag | commandFlag};
} // namespace Shortcuts

// Registration of key-up handlers for named global shortcuts. Handlers run on the GUI thread each
// time the shortcut is released.
class HotkeyRegistrar {
public:
    virtual ~HotkeyRegistrar() = default;
    virtual void onKeyUp(const ShortcutName& name, std::function<void()> action) = 0;
};

// The two steps of pasting the newest history item as plain text.
class PlainTextPasting {
public:
    virtual ~PlainTextPasting() = default;
    // Writes the newest item to the clipboard without its rich text; false when the history is empty.
    virtual bool copyNewestAsPlainText() = 0;
    // Sends the synthetic paste a moment later when automatic pasting is on.
    virtual void autoPasteIfEnabled() = 0;
};

} // namespace App
