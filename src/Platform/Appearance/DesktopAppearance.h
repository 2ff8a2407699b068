#pragma once

#include <Platform/AppearanceProvider.h>

#include <QDBusConnection>
#include <QPalette>

#include <optional>

class QDBusPendingCallWatcher;
class QDBusVariant;

namespace Platform {

// Reads the desktop's appearance through the XDG desktop portal's settings: the colour scheme
// ("org.freedesktop.appearance" "color-scheme") and the desktop's "enable-animations" setting
// ("org.gnome.desktop.interface"). Without a portal the colour scheme follows the lightness of the
// palette the application started with, and Reduce Motion is off. The portal is asked
// asynchronously so that start-up never waits on it; `changed` follows its answers and updates.
class DesktopAppearance final : public AppearanceProvider {
    Q_OBJECT
public:
    explicit DesktopAppearance(const QPalette& startupPalette,
                               QDBusConnection connection = QDBusConnection::sessionBus(),
                               QObject* parent = nullptr);

    ColorScheme systemColorScheme() const override;
    bool reduceMotion() const override;

private slots:
    void onSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);

private:
    void read(const QString& nameSpace, const QString& key);
    void apply(const QString& nameSpace, const QString& key, const QVariant& value);

    ColorScheme m_paletteScheme;
    std::optional<ColorScheme> m_portalScheme;
    bool m_reduceMotion = false;
    QDBusConnection m_connection;
};

} // namespace Platform
