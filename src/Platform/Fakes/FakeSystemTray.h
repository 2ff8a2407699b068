#pragma once

#include <Platform/SystemTray.h>

#include <QStringList>

namespace Platform {

// Records the icon states and lets a test open the menu and choose an entry.
class FakeSystemTray final : public SystemTray {
public:
    bool shown = false;
    QString symbol;
    QString description;
    bool dimmed = false;
    // Told of show() and setMenuBuilder(), so a test can interleave them with other calls.
    std::function<void(const QString&)> onCall;

    void show(const QString& symbolName, const QString& description) override;
    void setSymbol(const QString& symbolName, const QString& description, bool dimmed) override;
    void setMenuBuilder(std::function<MenuModel()> builder) override;
    void showMessage(const QString& title, const QString& message) override {
        messages << title + QStringLiteral(": ") + message;
    }

    // The notifications shown, as "title: message".
    QStringList messages;

    // Builds the menu as an opening would.
    MenuModel openMenu() const;
    // Opens the menu and runs the entry with this title; false when there is none.
    bool choose(const QString& title) const;

private:
    std::function<MenuModel()> m_builder;
};

} // namespace Platform
