#include "Platform/X11/X11Workspace.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstring>

namespace Platform::X11 {

namespace {

std::optional<QString> readProcessExecutable(qint64 pid) {
    if (pid <= 0)
        return std::nullopt;
    const QString target = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    return target.isEmpty() ? std::nullopt : std::optional(target);
}

DesktopApplication describe(const DesktopEntry& entry) {
    return {entry.id, entry.path, entry.name, entry.icon};
}

} // namespace

X11Workspace::X11Workspace() {
    if (!isValid())
        return;
    m_activeWindow = m_x.atom("_NET_ACTIVE_WINDOW");
    m_clientList = m_x.atom("_NET_CLIENT_LIST");
    m_pid = m_x.atom("_NET_WM_PID");
    m_gtkApplicationId = m_x.atom("_GTK_APPLICATION_ID");
    m_kdeDesktopFile = m_x.atom("_KDE_NET_WM_DESKTOP_FILE");
}

std::optional<QString> X11Workspace::stringProperty(xcb_window_t window, xcb_atom_t property) {
    const auto bytes = m_x.property(window, property);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    return QString::fromUtf8(*bytes).section(QChar(0), 0, 0);
}

xcb_window_t X11Workspace::clientWindow(xcb_window_t window) {
    xcb_connection_t* c = m_x.get();
    while (window != XCB_WINDOW_NONE && window != m_x.root()) {
        if (m_x.property(window, XCB_ATOM_WM_CLASS))
            return window;
        XcbPtr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!tree)
            break;
        window = tree->parent;
    }
    return XCB_WINDOW_NONE;
}

std::optional<RunningApplication> X11Workspace::applicationOfWindow(xcb_window_t window) {
    if (!isValid() || window == XCB_WINDOW_NONE)
        return std::nullopt;
    RunningApplication application;
    application.window = window;
    application.pid = m_x.cardinalProperty(window, m_pid).value_or(0);

    QString instance;
    QString windowClass;
    if (const auto wmClass = m_x.property(window, XCB_ATOM_WM_CLASS)) {
        const QList<QByteArray> parts = wmClass->split('\0');
        instance = QString::fromUtf8(parts.value(0));
        windowClass = QString::fromUtf8(parts.value(1));
    }

    std::optional<DesktopEntry> entry;
    QString claimedId;
    for (const xcb_atom_t property : {m_gtkApplicationId, m_kdeDesktopFile}) {
        if (const auto id = stringProperty(window, property)) {
            claimedId = *id;
            if (claimedId.endsWith(QStringLiteral(".desktop")))
                claimedId.chop(8);
            entry = m_entries.byId(claimedId);
            break;
        }
    }
    if (!entry && claimedId.isEmpty())
        entry = m_entries.byWindowClass(instance, windowClass);
    if (!entry && claimedId.isEmpty()) {
        if (const auto executable = readProcessExecutable(application.pid))
            entry = m_entries.byExecutable(*executable);
    }

    if (entry) {
        application.desktopId = entry->id;
        application.name = entry->name.isEmpty() ? windowClass : entry->name;
        application.iconName = entry->icon;
    } else if (!claimedId.isEmpty()) {
        // The application names its id although no desktop file of it is installed.
        application.desktopId = claimedId;
        application.name = windowClass.isEmpty() ? claimedId : windowClass;
    } else if (!windowClass.isEmpty()) {
        application.desktopId = windowClass;
        application.name = windowClass;
    } else {
        return std::nullopt;
    }
    return application;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() {
    if (!isValid())
        return std::nullopt;
    xcb_window_t window = m_x.cardinalProperty(m_x.root(), m_activeWindow).value_or(XCB_WINDOW_NONE);
    if (window == XCB_WINDOW_NONE) {
        xcb_connection_t* c = m_x.get();
        XcbPtr<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        if (focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT)
            window = clientWindow(focus->focus);
    }
    return applicationOfWindow(window);
}

QList<RunningApplication> X11Workspace::runningApplications() {
    QList<RunningApplication> applications;
    if (!isValid())
        return applications;
    const auto list = m_x.property(m_x.root(), m_clientList);
    if (!list)
        return applications;
    const auto count = static_cast<std::size_t>(list->size()) / sizeof(xcb_window_t);
    for (std::size_t i = 0; i < count; ++i) {
        xcb_window_t window = 0;
        std::memcpy(&window, list->constData() + i * sizeof(xcb_window_t), sizeof window);
        const auto application = applicationOfWindow(window);
        if (!application)
            continue;
        const bool known =
            std::any_of(applications.begin(), applications.end(), [&](const RunningApplication& a) {
                return a.desktopId == application->desktopId && a.pid == application->pid;
            });
        if (!known)
            applications << *application;
    }
    return applications;
}

bool X11Workspace::activate(const RunningApplication& application) {
    if (!isValid() || application.window == 0)
        return false;
    xcb_connection_t* c = m_x.get();
    const xcb_window_t window = application.window;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = m_activeWindow;
    message.data.data32[0] = 2; // source: a pager, which window managers obey without focus-stealing checks
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, m_x.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    // Window managers that ignore the message still leave the focus to us. A window that is not
    // viewable refuses the focus, which leaves the message as the only effect.
    XcbPtr<xcb_generic_error_t> focusError(xcb_request_check(
        c, xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME)));
    XcbPtr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes != nullptr;
}

bool X11Workspace::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool X11Workspace::openFiles(const QStringList& paths, const QString& desktopId) {
    const auto entry = m_entries.byId(desktopId);
    if (!entry)
        return false;
    const auto lines = commandLines(*entry, paths);
    if (!lines)
        return false;
    bool started = true;
    for (const QStringList& line : *lines) {
        QString program = line.first();
        if (!program.contains(u'/'))
            program = QStandardPaths::findExecutable(program);
        if (program.isEmpty() || !QProcess::startDetached(program, line.mid(1), entry->workingDirectory))
            started = false;
    }
    return started;
}

std::optional<DesktopApplication> X11Workspace::application(const QString& desktopId) {
    const auto entry = m_entries.byId(desktopId);
    return entry ? std::optional(describe(*entry)) : std::nullopt;
}

} // namespace Platform::X11
