#include <App/LanguageManager.h>
#include <Platform/UserDefaults.h>

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace {

struct MigrationCase {
    const char* name;
    std::optional<const char*> stored; // "appLanguage" before the first use
    QStringList systemLanguages;
    const char* selection;              // selection after the first use
    std::optional<const char*> written; // "appLanguage" afterwards; empty: still absent
    const char* locale;
};

void PrintTo(const MigrationCase& c, std::ostream* out) {
    *out << c.name;
}

class LanguageMigration : public ::testing::TestWithParam<MigrationCase> {};

TEST_P(LanguageMigration, OnFirstUse) {
    const MigrationCase& c = GetParam();
    Platform::UserDefaults defaults;
    if (c.stored)
        defaults.setValue("appLanguage", *c.stored);
    App::LanguageManager manager(defaults, [&] { return c.systemLanguages; });
    EXPECT_EQ(manager.selection(), c.selection) << c.name;
    if (c.written)
        EXPECT_EQ(defaults.value("appLanguage").toString(), *c.written) << c.name;
    else
        EXPECT_FALSE(defaults.hasStoredValue("appLanguage")) << c.name;
    EXPECT_EQ(manager.localeName(), c.locale) << c.name;
    EXPECT_EQ(manager.locale().language(), QLocale(c.locale).language()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LanguageMigration,
    ::testing::Values(
        MigrationCase{"stored pl kept", "pl", {"en-US"}, "pl", "pl", "pl"},
        MigrationCase{"stored en kept", "en", {"pl-PL"}, "en", "en", "en"},
        MigrationCase{"stored system kept, Polish desktop", "system", {"pl-PL"}, "system", "system", "pl"},
        MigrationCase{"Polish desktop", std::nullopt, {"pl-PL", "en-US"}, "pl", "pl", "pl"},
        MigrationCase{"plain pl", std::nullopt, {"pl"}, "pl", "pl", "pl"},
        MigrationCase{"British English", std::nullopt, {"en-GB"}, "en", "en", "en"},
        MigrationCase{"French desktop", std::nullopt, {"fr-FR", "pl-PL"}, "system", "system", "en"},
        MigrationCase{"German desktop", std::nullopt, {"de-DE"}, "system", "system", "en"},
        MigrationCase{"no languages reported", std::nullopt, {}, "system", std::nullopt, "en"},
        MigrationCase{"invalid stored value migrates", "PL", {"pl-PL"}, "pl", "pl", "pl"},
        MigrationCase{"unknown stored value migrates", "de", {"de-DE"}, "system", "system", "en"}));

TEST(LanguageManager, ChangingTheSelectionStoresItAndNotifies) {
    Platform::UserDefaults defaults;
    defaults.setValue("appLanguage", "system");
    App::LanguageManager manager(defaults, [] { return QStringList{"en-US"}; });
    QSignalSpy selection(&manager, &App::LanguageManager::selectionChanged);
    QSignalSpy locale(&manager, &App::LanguageManager::localeChanged);
    QSignalSpy writes(&defaults, &Platform::UserDefaults::valueChanged);

    manager.setSelection("en"); // same locale as "system" on an English desktop
    EXPECT_EQ(defaults.stringValue("appLanguage"), "en");
    EXPECT_EQ(selection.count(), 1);
    EXPECT_EQ(locale.count(), 0);

    manager.setSelection("en"); // same value: nothing written
    manager.setSelection("fr"); // refused
    EXPECT_EQ(writes.count(), 1);
    EXPECT_EQ(manager.selection(), "en");

    manager.setSelection("pl");
    EXPECT_EQ(defaults.stringValue("appLanguage"), "pl");
    ASSERT_EQ(locale.count(), 1);
    EXPECT_EQ(locale.at(0).at(0).toString(), "pl");
}

TEST(LanguageManager, TranslatorsFollowTheSelectionLive) {
    Platform::UserDefaults defaults;
    defaults.setValue("appLanguage", "en");
    App::LanguageManager manager(defaults, [] { return QStringList{"en-US"}; });
    manager.installTranslators();
    const auto title = [] {
        return QCoreApplication::translate("App::AppDelegate", "Show History");
    };
    EXPECT_EQ(title(), "Show History");
    manager.setSelection("pl");
    EXPECT_EQ(title(), QString::fromUtf8("Pokaż historię"));
    EXPECT_EQ(QCoreApplication::translate("SettingsWindowController", "Quillstack Settings"),
              "Ustawienia Quillstack");
    manager.setSelection("en");
    EXPECT_EQ(title(), "Show History");
}

TEST(LanguageManager, EveryPolishMessageIsTranslated) {
    // The translation source must carry a finished Polish text for each message.
    QFile ts(QStringLiteral(QS_TEST_SOURCE_DIR "/resources/translations/quillstack_pl.ts"));
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
    const QByteArray content = ts.readAll();
    EXPECT_FALSE(content.contains("type=\"unfinished\""));
    EXPECT_FALSE(content.contains("<translation></translation>"));
    EXPECT_FALSE(content.contains("<translation/>"));
}

} // namespace
