#pragma once

#include "Hotkeys/Name.h"

#include <optional>

class QAction;

namespace Hotkeys {

// Shows a shortcut as the action's key sequence (none clears it). Command is Meta (Super), as for
// the global hot key itself.
void setShortcut(QAction* action, const std::optional<Shortcut>& shortcut);

// Binds the action to the name: it shows the name's stored shortcut now and after every later
// change (applied on the next turn of the event loop). None unbinds and clears the key sequence.
void setShortcutFor(QAction* action, const std::optional<Name>& name);

} // namespace Hotkeys
