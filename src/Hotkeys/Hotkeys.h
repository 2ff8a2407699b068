#pragma once

// The global shortcuts library: named shortcuts stored in the application's settings, system-wide
// hot keys (X11), their rendering, and the widgets that record them.
//
// An application, once its QApplication exists:
//  1. binds the storage to its settings store: setStorage() with a SettingsStorage over it;
//  2. sets the language of the library's texts, and again whenever its own language changes:
//     setLanguage("system" | "en" | "pl");
//  3. declares its names with their defaults (Name("showHistory", Shortcut(Key::v, Shift|Command)))
//     and attaches actions with onKeyUp()/onKeyDown(); the hot keys are grabbed from then on.
// Everything runs on the GUI thread.

#include "Hotkeys/GlobalHotkeys.h"
#include "Hotkeys/HotkeyBackend.h"
#include "Hotkeys/Key.h"
#include "Hotkeys/KeyboardLayout.h"
#include "Hotkeys/LocalEventMonitor.h"
#include "Hotkeys/Localization.h"
#include "Hotkeys/MenuItemBinding.h"
#include "Hotkeys/Modifiers.h"
#include "Hotkeys/Name.h"
#include "Hotkeys/Notifications.h"
#include "Hotkeys/Recorder.h"
#include "Hotkeys/RecorderControl.h"
#include "Hotkeys/RecorderKeyFilter.h"
#include "Hotkeys/Registry.h"
#include "Hotkeys/SettingsStorage.h"
#include "Hotkeys/Shortcut.h"
#include "Hotkeys/ViewHelpers.h"
