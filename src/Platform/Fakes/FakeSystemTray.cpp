#include "FakeSystemTray.h"

namespace Platform {

void FakeSystemTray::show(const QString& symbolName, const QString& text) {
    shown = true;
    if (onCall)
        onCall(QStringLiteral("tray.show"));
    setSymbol(symbolName, text, false);
}

void FakeSystemTray::setSymbol(const QString& symbolName, const QString& text, bool isDimmed) {
    symbol = symbolName;
    description = text;
    dimmed = isDimmed;
}

void FakeSystemTray::setMenuBuilder(std::function<MenuModel()> builder) {
    m_builder = std::move(builder);
    if (onCall)
        onCall(QStringLiteral("tray.setMenuBuilder"));
}

MenuModel FakeSystemTray::openMenu() const {
    return m_builder ? m_builder() : MenuModel{};
}

bool FakeSystemTray::choose(const QString& title) const {
    for (const MenuEntry& entry : openMenu()) {
        if (entry.title == title && entry.action) {
            entry.action();
            return true;
        }
    }
    return false;
}

} // namespace Platform
