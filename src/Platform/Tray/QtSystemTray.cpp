#include "QtSystemTray.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QIcon>
#include <QKeySequence>

#include <cstdio>

namespace Platform {

QtSystemTray::QtSystemTray(QString iconDirectory) : m_iconDirectory(std::move(iconDirectory)) {
    m_icon.setContextMenu(&m_menu);
    QObject::connect(&m_menu, &QMenu::aboutToShow, &m_menu, [this] { rebuildMenu(); });
    // On Linux desktops a left click on a status icon opens its menu as well.
    QObject::connect(&m_icon, &QSystemTrayIcon::activated, &m_menu,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && !m_menu.isVisible())
                             m_menu.popup(QCursor::pos());
                     });
}

void QtSystemTray::show(const QString& symbolName, const QString& description) {
    setSymbol(symbolName, description, false);
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        std::fprintf(stderr, "Quillstack: this desktop has no system tray; the status icon will appear "
                             "when one becomes available.\n");
    m_icon.show();
}

void QtSystemTray::setSymbol(const QString& symbolName, const QString& description, bool dimmed) {
    const QIcon icon(QDir(m_iconDirectory).filePath(symbolName + QStringLiteral(".svg")));
    if (dimmed) {
        const QSize size(64, 64);
        m_icon.setIcon(QIcon(icon.pixmap(size, QIcon::Disabled)));
    } else {
        m_icon.setIcon(icon);
    }
    m_icon.setToolTip(description);
}

void QtSystemTray::setMenuBuilder(std::function<MenuModel()> builder) {
    m_builder = std::move(builder);
    rebuildMenu();
}

void QtSystemTray::showMessage(const QString& title, const QString& message) {
    // The desktop's notification service shows it whether or not there is a tray; without one, the
    // tray icon's own balloon.
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("quillstack")},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    notify.setArguments({QStringLiteral("Quillstack"), 0u, QStringLiteral("quillstack"), title, message,
                         QStringList(), hints, -1});
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), &m_menu);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_menu, [this, watcher, title, message] {
        watcher->deleteLater();
        if (watcher->isError())
            m_icon.showMessage(title, message, QSystemTrayIcon::Warning);
    });
}

void QtSystemTray::rebuildMenu() {
    m_menu.clear();
    if (!m_builder)
        return;
    for (MenuEntry& entry : m_builder()) {
        if (entry.isSeparator()) {
            m_menu.addSeparator();
            continue;
        }
        QAction* action = m_menu.addAction(entry.title);
        if (!entry.shortcut.isEmpty())
            action->setShortcut(QKeySequence(entry.shortcut, QKeySequence::PortableText));
        // Queued, so the action runs after the menu has closed (a modal alert may follow).
        QObject::connect(action, &QAction::triggered, &m_menu, std::move(entry.action), Qt::QueuedConnection);
    }
}

} // namespace Platform
