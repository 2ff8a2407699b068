#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace Platform {

// One entry of the tray menu. An entry without a title is a separator. `shortcut` is a key
// sequence in portable text form ("Ctrl+Q"), shown beside the title; the program that builds the
// menu makes the key work.
struct MenuEntry {
    QString title;
    QString shortcut;
    std::function<void()> action;

    bool isSeparator() const { return title.isEmpty(); }
    static MenuEntry separator() { return {}; }
};

using MenuModel = std::vector<MenuEntry>;

// The application's status icon in the desktop's system tray, with a menu that is rebuilt from a
// plain model every time it opens.
class SystemTray {
public:
    virtual ~SystemTray() = default;

    // Shows the icon drawn for `symbolName`, with an accessible description.
    virtual void show(const QString& symbolName, const QString& description) = 0;
    // Changes the icon; `dimmed` draws it as disabled.
    virtual void setSymbol(const QString& symbolName, const QString& description, bool dimmed) = 0;
    // Called each time the menu is about to open.
    virtual void setMenuBuilder(std::function<MenuModel()> builder) = 0;
    // Tells the user something that went wrong out of sight, as a desktop notification.
    virtual void showMessage(const QString& title, const QString& message) = 0;
};

} // namespace Platform
