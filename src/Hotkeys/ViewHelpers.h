#pragma once

#include "Hotkeys/Name.h"
#include "Hotkeys/Registry.h"

#include <functional>

class QAbstractButton;
class QWidget;

namespace Hotkeys {

// Runs `perform` for each press and release of the name's global shortcut for as long as the
// widget exists (its hot key stays registered that long).
void onKeyboardShortcut(QWidget* widget, const Name& name, std::function<void(EventType)> perform);
// The same for one kind of event only.
void onKeyboardShortcut(QWidget* widget, const Name& name, EventType type, std::function<void()> perform);

// Gives the button the key sequence of the name's shortcut and keeps it current; while any
// recorder records the button has none, so the keys reach the recorder.
void globalKeyboardShortcut(QAbstractButton* button, const Name& name);

} // namespace Hotkeys
