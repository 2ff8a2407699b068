#include "QtSystemTray.h"

#include <QDir>
#include <QIcon>
#include <QKeySequence>

#include <cstdio>

namespace Platform {

QtSystemTray::QtSystemTray(QString iconDirectory) : m_iconDirectory(std::move(iconDirectory)) {
    m_icon.setContextMenu(&m_menu);
    QObject::connect(&m_menu, &QMenu::aboutToShow, &m_menu, [this] { rebuildMenu(); });
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
