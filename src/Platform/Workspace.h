#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace Platform {

// A running application as seen through one of its top-level windows.
struct RunningApplication {
    // The desktop-file id ("org.gnome.TextEditor", "firefox-esr"); without a desktop file, the
    // window's WM_CLASS class name; empty when neither is known.
    QString desktopId;
    // The desktop file's Name=, else the WM_CLASS class name.
    QString name;
    // The desktop file's Icon= (a theme name or an absolute path); empty without one.
    QString iconName;
    quint32 window = 0;
    qint64 pid = 0;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// An installed application, described by its desktop file.
struct DesktopApplication {
    QString desktopId;
    QString filePath;
    QString name;
    QString iconName;
};

// The desktop session: which application is in front, which run, activating them and opening things.
class Workspace {
public:
    virtual ~Workspace() = default;

    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // One entry per application with a managed top-level window, in the window manager's stacking
    // order from bottom to top.
    virtual QList<RunningApplication> runningApplications() = 0;
    // Brings the application's window to the front and gives it the keyboard focus.
    virtual bool activate(const RunningApplication& application) = 0;

    virtual bool openUrl(const QUrl& url) = 0;
    // Starts the application of `desktopId` with the files, through its Exec line (no shell).
    virtual bool openFiles(const QStringList& paths, const QString& desktopId) = 0;
    // The installed application of a desktop-file id, from the XDG data directories.
    virtual std::optional<DesktopApplication> application(const QString& desktopId) = 0;
};

} // namespace Platform
