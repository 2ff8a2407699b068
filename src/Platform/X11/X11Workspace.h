#pragma once

#include "Platform/Workspace.h"
#include "Platform/X11/DesktopEntries.h"
#include "Platform/X11/Xcb.h"

namespace Platform::X11 {

// Applications as the window manager shows them (EWMH root properties), identified by their desktop
// files. Asks only the X server, never another client, so no call here can hang on an application.
class X11Workspace : public Workspace {
public:
    X11Workspace();
    bool isValid() const { return m_x.isValid() && m_x.screen(); }

    std::optional<RunningApplication> frontmostApplication() override;
    QList<RunningApplication> runningApplications() override;
    bool activate(const RunningApplication& application) override;

    bool openUrl(const QUrl& url) override;
    bool openFiles(const QStringList& paths, const QString& desktopId) override;
    std::optional<DesktopApplication> application(const QString& desktopId) override;

    // The application a top-level window belongs to; nothing for a window without any identity.
    std::optional<RunningApplication> applicationOfWindow(xcb_window_t window);

private:
    std::optional<QString> stringProperty(xcb_window_t window, xcb_atom_t property);
    // The window itself or its nearest ancestor that carries WM_CLASS.
    xcb_window_t clientWindow(xcb_window_t window);

    XcbConnection m_x;
    DesktopEntryIndex m_entries;
    xcb_atom_t m_activeWindow = XCB_ATOM_NONE;
    xcb_atom_t m_clientList = XCB_ATOM_NONE;
    xcb_atom_t m_pid = XCB_ATOM_NONE;
    xcb_atom_t m_gtkApplicationId = XCB_ATOM_NONE;
    xcb_atom_t m_kdeDesktopFile = XCB_ATOM_NONE;
};

} // namespace Platform::X11
