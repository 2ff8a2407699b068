#include <Capture/DefaultSettings.h>
#include <Platform/UserDefaults.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QJsonObject fileContents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

class DefaultSettings : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("quillstack/settings.json"); }
    QTemporaryDir dir;
};

TEST_F(DefaultSettings, FreshAccountReadsTheDefaultsAndStoresOnlyTheSeed) {
    {
        Platform::UserDefaults defaults(path());
        App::registerDefaultSettings(defaults);
        EXPECT_EQ(defaults.intValue("historyLimit"), 200);
        EXPECT_TRUE(defaults.boolValue("autoPaste"));
        EXPECT_TRUE(defaults.boolValue("ignoreConcealed"));
        EXPECT_EQ(defaults.stringValue("appearance"), "system");
        EXPECT_EQ(defaults.intValue("previewFontSize"), 12);
        EXPECT_EQ(defaults.stringValue("windowPosition"), "center");
        EXPECT_EQ(defaults.stringList("ignoredBundleIDs"), App::seedIgnoredBundleIDs());
        EXPECT_TRUE(App::seedIgnoredBundleIDs().contains("org.keepassxc.KeePassXC"));
        // Not registered: absent, so they read as their fallbacks.
        for (const char* key : {"hasCompletedOnboarding", "appLanguage", "launchAtLogin"})
            EXPECT_TRUE(defaults.value(key).isUndefined()) << key;
    }
    const QJsonObject stored = fileContents(path());
    EXPECT_EQ(stored.keys(), QStringList{"ignoredBundleIDs"}) << "registered defaults are never written";
}

TEST_F(DefaultSettings, StoredValuesWinOverRegisteredDefaults) {
    {
        Platform::UserDefaults defaults(path());
        defaults.setValue("historyLimit", 50);
        defaults.setValue("appearance", "dark");
    }
    Platform::UserDefaults defaults(path());
    App::registerDefaultSettings(defaults);
    EXPECT_EQ(defaults.intValue("historyLimit"), 50);
    EXPECT_EQ(defaults.stringValue("appearance"), "dark");
}

TEST_F(DefaultSettings, SeedRule) {
    struct Case {
        const char* name;
        std::optional<QJsonValue> stored; // empty: key absent
        QStringList expected;
    };
    const QStringList seed = App::seedIgnoredBundleIDs();
    const std::vector<Case> cases = {
        {"absent key is seeded", std::nullopt, seed},
        {"an emptied list stays empty", QJsonArray(), {}},
        {"a user's list is kept", QJsonArray{"org.keepassxc.KeePassXC"}, {"org.keepassxc.KeePassXC"}},
        {"a value that is no list of strings is replaced", QJsonValue("com.bitwarden.desktop"), seed},
        {"a list with a non-string is replaced", QJsonArray{1, "x"}, seed},
    };
    for (const Case& c : cases) {
        QTemporaryDir caseDir;
        const QString file = caseDir.filePath("settings.json");
        if (c.stored) {
            Platform::UserDefaults first(file);
            first.setValue("ignoredBundleIDs", *c.stored);
        }
        // Two launches: the outcome of the first survives the second unchanged.
        for (int launch = 0; launch < 2; ++launch) {
            Platform::UserDefaults defaults(file);
            App::registerDefaultSettings(defaults);
            EXPECT_EQ(defaults.stringList("ignoredBundleIDs"), c.expected) << c.name << ", launch " << launch;
        }
    }
}

} // namespace
