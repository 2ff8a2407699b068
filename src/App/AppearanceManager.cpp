#include "AppearanceManager.h"

#include <Capture/DefaultSettings.h>

#include <Platform/UserDefaults.h>

#include <QGuiApplication>

namespace App {

namespace {
Platform::ColorScheme schemeOf(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128 ? Platform::ColorScheme::Dark
                                                             : Platform::ColorScheme::Light;
}

QPalette makePalette(QColor window, QColor base, QColor alternateBase, QColor text, QColor button,
                     QColor highlight, QColor disabledText, QColor link) {
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, alternateBase);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabledText);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, link);
    p.setColor(QPalette::LinkVisited, link.darker(120));
    p.setColor(QPalette::Light, button.lighter(130));
    p.setColor(QPalette::Midlight, button.lighter(115));
    p.setColor(QPalette::Mid, button.darker(130));
    p.setColor(QPalette::Dark, button.darker(160));
    p.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabledText);
    return p;
}
} // namespace

AppearanceManager::AppearanceManager(Platform::UserDefaults& defaults, Platform::AppearanceProvider& provider,
                                     QPalette startupPalette, QObject* parent)
    : QObject(parent), m_defaults(defaults), m_provider(provider),
      m_startupPalette(std::move(startupPalette)), m_startupScheme(schemeOf(m_startupPalette)) {
    connect(&m_provider, &Platform::AppearanceProvider::changed, this, [this] {
        if (m_followsSystem)
            apply();
    });
}

void AppearanceManager::apply() {
    const QString setting = m_defaults.stringValue(SettingsKeys::appearance, QStringLiteral("system"));
    QPalette palette;
    if (setting == QLatin1String("light")) {
        m_followsSystem = false;
        m_effective = Platform::ColorScheme::Light;
        palette = lightPalette();
    } else if (setting == QLatin1String("dark")) {
        m_followsSystem = false;
        m_effective = Platform::ColorScheme::Dark;
        palette = darkPalette();
    } else {
        m_followsSystem = true;
        m_effective = m_provider.systemColorScheme();
        // The desktop's own palette when it already has the wanted lightness, so its theme shows.
        if (m_effective == m_startupScheme)
            palette = m_startupPalette;
        else
            palette = m_effective == Platform::ColorScheme::Dark ? darkPalette() : lightPalette();
    }
    QGuiApplication::setPalette(palette);
}

QPalette AppearanceManager::lightPalette() {
    return makePalette(QColor(0xEC, 0xEC, 0xEC), Qt::white, QColor(0xF5, 0xF5, 0xF5),
                       QColor(0x1D, 0x1D, 0x1F), QColor(0xF6, 0xF6, 0xF6), QColor(0x0A, 0x64, 0xD8),
                       QColor(0x9A, 0x9A, 0x9E), QColor(0x0A, 0x64, 0xD8));
}

QPalette AppearanceManager::darkPalette() {
    return makePalette(QColor(0x2B, 0x2B, 0x2D), QColor(0x1E, 0x1E, 0x20), QColor(0x26, 0x26, 0x28),
                       QColor(0xEC, 0xEC, 0xEE), QColor(0x3A, 0x3A, 0x3C), QColor(0x2F, 0x7C, 0xF6),
                       QColor(0x6E, 0x6E, 0x73), QColor(0x5A, 0xA0, 0xFF));
}

} // namespace App
