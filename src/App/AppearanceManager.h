#pragma once

#include <Platform/AppearanceProvider.h>

#include <QObject>
#include <QPalette>

namespace Platform {
class UserDefaults;
}

namespace App {

// Applies the "appearance" setting to every window of the application: "light" and "dark" force a
// palette, any other value follows the desktop's colour scheme (and keeps following it).
class AppearanceManager : public QObject {
    Q_OBJECT
public:
    AppearanceManager(Platform::UserDefaults& defaults, Platform::AppearanceProvider& provider,
                      QPalette startupPalette, QObject* parent = nullptr);

    void apply();
    Platform::ColorScheme effectiveScheme() const { return m_effective; }
    bool reduceMotion() const { return m_provider.reduceMotion(); }

    static QPalette lightPalette();
    static QPalette darkPalette();

private:
    Platform::UserDefaults& m_defaults;
    Platform::AppearanceProvider& m_provider;
    QPalette m_startupPalette;
    Platform::ColorScheme m_startupScheme;
    Platform::ColorScheme m_effective = Platform::ColorScheme::Light;
    bool m_followsSystem = true;
};

} // namespace App
