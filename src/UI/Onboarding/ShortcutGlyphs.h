#pragma once

#include <QStringList>

namespace Hotkeys {
class KeyboardLayout;
class Shortcut;
} // namespace Hotkeys

// The keys of a shortcut one by one, as the shortcut library renders them: each modifier's glyph
// in the library's order, then the key ("⇧", "⌘", "V").
QStringList shortcutGlyphs(const Hotkeys::Shortcut& shortcut, const Hotkeys::KeyboardLayout& layout);
