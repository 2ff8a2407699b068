#pragma once

#include <QList>
#include <QString>

#include <optional>

// The applications installed on the desktop, known by the desktop-file ids that capture records for
// them ("org.gnome.TextEditor", "kde-org.kate"). Icons and names come from AppIconCache.
namespace InstalledApplications {

struct Application {
    QString desktopId;
    QString name;
};

// The applications the desktop lists in its menus (entries marked NoDisplay or Hidden are left
// out), named in the interface language and sorted by name.
QList<Application> list();

// The desktop-file id of the application desktop file at `path`: its id under the XDG data
// directories when it lies in one's applications folder, else its file name without ".desktop"
// (the id an application claims for itself). Nothing when the file is no application's desktop
// entry or leaves no usable id.
std::optional<QString> desktopIdOfFile(const QString& path);

} // namespace InstalledApplications
