#pragma once

#include <Platform/SystemTray.h>

#include <QMenu>
#include <QSystemTrayIcon>

namespace Platform {

// SystemTray over QSystemTrayIcon. Icons are SVG files named after their symbol in `iconDirectory`.
class QtSystemTray final : public SystemTray {
public:
    explicit QtSystemTray(QString iconDirectory);

    void show(const QString& symbolName, const QString& description) override;
    void setSymbol(const QString& symbolName, const QString& description, bool dimmed) override;
    void setMenuBuilder(std::function<MenuModel()> builder) override;
    void showMessage(const QString& title, const QString& message) override;

private:
    void rebuildMenu();

    QString m_iconDirectory;
    QMenu m_menu; // declared first: the icon refers to it and goes before it
    QSystemTrayIcon m_icon;
    std::function<MenuModel()> m_builder;
};

} // namespace Platform
