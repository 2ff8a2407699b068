#include "DefaultSettings.h"

#include <Platform/UserDefaults.h>

#include <QJsonArray>

namespace App {

QStringList seedIgnoredBundleIDs() {
    return {QStringLiteral("com.1password.1password"), QStringLiteral("com.bitwarden.desktop"),
            QStringLiteral("com.agilebits.onepassword7")};
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
