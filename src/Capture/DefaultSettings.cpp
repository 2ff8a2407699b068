#include "DefaultSettings.h"

#include <Platform/UserDefaults.h>

#include <QJsonArray>

namespace App {

QStringList seedIgnoredBundleIDs() {
    // Desktop-file ids as capture records them (the file name without ".desktop", which the window's
    // application id, StartupWMClass or WM_CLASS leads to). Read from the desktop files of Debian's
    // packages keepassxc, keepass2, seahorse, secrets, passwordsafe, qtpass and kwalletmanager; for the
    // applications Debian does not ship, the names their own packages install: bitwarden.desktop
    // (.deb and AppImage), com.bitwarden.desktop (Flatpak), 1password.desktop (.deb and .rpm).
    // KWalletManager's file is org.kde.kwalletmanager5 up to Plasma 5 and org.kde.kwalletmanager
    // since; Secrets was org.gnome.PasswordSafe before its rename.
    return {
        QStringLiteral("org.keepassxc.KeePassXC"),
        QStringLiteral("bitwarden"),
        QStringLiteral("com.bitwarden.desktop"),
        QStringLiteral("1password"),
        QStringLiteral("keepass2"),
        QStringLiteral("org.gnome.seahorse.Application"),
        QStringLiteral("org.gnome.World.Secrets"),
        QStringLiteral("org.gnome.PasswordSafe"),
        QStringLiteral("org.kde.kwalletmanager5"),
        QStringLiteral("org.kde.kwalletmanager"),
        QStringLiteral("pwsafe"),
        QStringLiteral("qtpass"),
    };
}

void registerDefaultSettings(Platform::UserDefaults& defaults) {
    defaults.registerDefaults({
        {SettingsKeys::historyLimit, 200},
        {SettingsKeys::autoPaste, true},
        {SettingsKeys::ignoreConcealed, true},
        {SettingsKeys::appearance, QStringLiteral("system")},
        {SettingsKeys::previewFontSize, 12},
        {SettingsKeys::windowPosition, QStringLiteral("center")},
    });
    if (!defaults.stringList(SettingsKeys::ignoredBundleIDs))
        defaults.setValue(SettingsKeys::ignoredBundleIDs, QJsonArray::fromStringList(seedIgnoredBundleIDs()));
}

} // namespace App
