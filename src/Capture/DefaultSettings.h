#pragma once

#include <QString>
#include <QStringList>

namespace Platform {
class UserDefaults;
}

namespace App {

namespace SettingsKeys {
inline const QString historyLimit = QStringLiteral("historyLimit");
inline const QString autoPaste = QStringLiteral("autoPaste");
inline const QString ignoreConcealed = QStringLiteral("ignoreConcealed");
inline const QString appearance = QStringLiteral("appearance");
inline const QString previewFontSize = QStringLiteral("previewFontSize");
inline const QString windowPosition = QStringLiteral("windowPosition");
inline const QString ignoredBundleIDs = QStringLiteral("ignoredBundleIDs");
inline const QString hasCompletedOnboarding = QStringLiteral("hasCompletedOnboarding");
inline const QString appLanguage = QStringLiteral("appLanguage");
} // namespace SettingsKeys

// The applications ignored until the user edits the list.
QStringList seedIgnoredBundleIDs();

// Registers the in-memory defaults and seeds "ignoredBundleIDs" when the key holds no list of
// strings. A stored list, even an empty one, is left as it is.
void registerDefaultSettings(Platform::UserDefaults& defaults);

} // namespace App
