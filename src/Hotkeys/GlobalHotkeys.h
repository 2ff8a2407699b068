#pragma once

#include "Hotkeys/HotkeyBackend.h"
#include "Hotkeys/Shortcut.h"

#include <functional>
#include <memory>

namespace Hotkeys::GlobalHotkeys {

// The hot-key layer: one record per registered shortcut, each with an id counting from 1 that is
// never reused. A record is live (grabbed), released (while hot keys are disabled or a menu of the
// application is open) or refused (the desktop said no; retried when the keyboard mapping changes
// or the shortcut is registered again).

using Action = std::function<void(const Shortcut&)>;

// Installs the backend (tests install a fake; otherwise the X11 backend is created on first use
// when the application runs on X11). Existing records are re-grabbed through the new backend.
void setBackend(std::unique_ptr<HotkeyBackend> backend);
HotkeyBackend* backend();

// Registers the shortcut, or retries its grab when it is already registered. Answers whether the
// hot key is live now. A refusal prints "Error registering hotkey <shortcut>: <status>".
bool registerHotkey(const Shortcut& shortcut, Action onKeyDown, Action onKeyUp);
void unregisterHotkey(const Shortcut& shortcut);
bool isLive(const Shortcut& shortcut);

// What the hot keys obey, asked for whenever grabs are decided: the global switch of every shortcut
// and whether a menu of the application is open. The registry gives them; until then shortcuts
// are enabled and no menu is open.
struct Conditions {
    std::function<bool()> shortcutsEnabled;
    std::function<bool()> menuOpen;
};
void setConditions(Conditions conditions);

// Applies the global switch and the menu state: hot keys are grabbed only while shortcuts are
// enabled and no menu is open; while a menu is open, key presses reaching the application that
// match a record run its actions instead.
void updateEventHandler();

// Whether another program holds the shortcut. Never probes a shortcut this process holds.
bool isUsedBySystem(const Shortcut& shortcut);

} // namespace Hotkeys::GlobalHotkeys
