#pragma once

#include <QIcon>
#include <QString>

// Icons and names of installed applications by desktop-file id ("org.gnome.TextEditor",
// "firefox-esr"), read from the desktop files under the XDG data directories. Icons are kept for
// the life of the process once found; names are read afresh on every call.
namespace AppIconCache {

// The application's icon at 32 × 32, or a null icon when the id is empty or names no installed
// application (nothing is cached then, so a later call looks again). An installed application whose
// icon cannot be found gets a generic application icon.
QIcon icon(const QString& desktopId);

// The application's name: its desktop file's Name (in the interface language when the file has
// one), else the desktop file's name without its extension, else the id itself.
QString displayName(const QString& desktopId);

} // namespace AppIconCache
