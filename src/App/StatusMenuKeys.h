#pragma once

#include <Platform/SystemTray.h>

#include <functional>
#include <memory>

class QKeyEvent;
class QObject;
namespace Hotkeys {
class LocalEventMonitor;
}

namespace App {

// The keys the status menu shows beside its entries (Ctrl+, and Ctrl+Q), answered wherever the user
// presses them in the program, as a menu bar's would be: in every window of ours and in the open
// menu itself. A widget that takes the key for itself (a shortcut field while it records) keeps it;
// while a modal dialog is open the keys do nothing, like the rest of the program behind it.
class StatusMenuKeys {
public:
    // `menu` gives the entries as the menu would show them at that moment.
    explicit StatusMenuKeys(std::function<Platform::MenuModel()> menu);
    ~StatusMenuKeys();
    StatusMenuKeys(const StatusMenuKeys&) = delete;
    StatusMenuKeys& operator=(const StatusMenuKeys&) = delete;

private:
    bool handleKeyPress(QObject* receiver, QKeyEvent& event);

    std::function<Platform::MenuModel()> m_menu;
    std::unique_ptr<Hotkeys::LocalEventMonitor> m_monitor;
};

} // namespace App
