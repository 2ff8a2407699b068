#pragma once

#include <QString>

namespace Hotkeys {

// The library's own texts (recorder placeholders, alerts, the Space key), in English or Polish.
// The language follows what the application sets: "en", "pl", or "system" (the default) for the
// system locale; an unknown language reads as English. Recorders on screen follow at once.
void setLanguage(const QString& language);

// The text for a key of the library's string table in the current language; the key itself when
// the table has no entry.
QString localized(const char* key);

} // namespace Hotkeys
