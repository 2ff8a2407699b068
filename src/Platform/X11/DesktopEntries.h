#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Platform::X11 {

// One application's desktop file, as far as launching and naming it needs.
struct DesktopEntry {
    QString id;   // "org.gnome.TextEditor" for applications/org.gnome.TextEditor.desktop
    QString path; // the file
    QString name;
    QString icon;
    QString exec;
    QString tryExec;
    QString workingDirectory;
    QString startupWmClass;
    // Installed, but not to be offered in lists of applications.
    bool noDisplay = false;
};

// Parses the [Desktop Entry] group of a desktop file; nothing for a file that is not an
// application or is marked Hidden.
std::optional<DesktopEntry> parseDesktopFile(const QString& path, const QString& id);

// The command lines that open `files` with `entry`: one per file for %f/%u, one for all for %F/%U
// (files are appended as %f when the line names none). Each is program plus arguments, for starting
// without a shell; nothing when the Exec line cannot be parsed.
std::optional<QList<QStringList>> commandLines(const DesktopEntry& entry, const QStringList& files);

// The desktop-file id of the file at `path` when it lies in the applications folder of one of the XDG
// data directories ("kde-org.kate" for applications/kde/org.kate.desktop); nothing elsewhere.
std::optional<QString> desktopFileId(const QString& path);

// The application desktop files of the XDG data directories ($XDG_DATA_HOME first, then
// $XDG_DATA_DIRS), a file earlier in that order hiding later ones of the same id. The index is built on
// first use and rebuilt when the directories, their modification times or their numbers of entries
// change.
class DesktopEntryIndex {
public:
    std::optional<DesktopEntry> byId(const QString& id);
    // A file named after either part of WM_CLASS, or whose StartupWMClass equals its class; case is
    // ignored, as window classes are often capitalised differently from file names.
    std::optional<DesktopEntry> byWindowClass(const QString& instance, const QString& windowClass);
    // The entry whose Exec (or TryExec) program is `executable`.
    std::optional<DesktopEntry> byExecutable(const QString& executable);
    // Every installed application, in the order the directories were read.
    QList<DesktopEntry> entries();

private:
    void refresh();

    QString m_signature;
    QList<DesktopEntry> m_entries;
    // The canonical path of each entry's program, resolved on the first lookup by executable.
    QStringList m_programs;
    QHash<QString, qsizetype> m_byId;
};

} // namespace Platform::X11
