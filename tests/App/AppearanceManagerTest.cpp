#include <App/AppearanceManager.h>
#include <Platform/Fakes/FakeAppearanceProvider.h>
#include <Platform/UserDefaults.h>

#include <QApplication>
#include <gtest/gtest.h>

namespace {

using Platform::ColorScheme;

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

class AppearanceManagerTest : public ::testing::Test {
protected:
    AppearanceManagerTest() : startup(App::AppearanceManager::lightPalette()) {
        startup.setColor(QPalette::Window, QColor(0xDD, 0xEE, 0xDD)); // recognisable desktop palette
    }
    ~AppearanceManagerTest() override { QApplication::setPalette(QPalette()); }

    QPalette startup;
    Platform::UserDefaults defaults;
    Platform::FakeAppearanceProvider provider;
};

TEST_F(AppearanceManagerTest, SettingChoosesThePalette) {
    struct Case {
        const char* setting; // nullptr: absent
        ColorScheme system;
        ColorScheme expected;
    };
    const std::vector<Case> cases = {
        {"light", ColorScheme::Dark, ColorScheme::Light}, {"dark", ColorScheme::Light, ColorScheme::Dark},
        {"system", ColorScheme::Dark, ColorScheme::Dark}, {"system", ColorScheme::Light, ColorScheme::Light},
        {nullptr, ColorScheme::Dark, ColorScheme::Dark},  {"Dark", ColorScheme::Light, ColorScheme::Light},
        {"DARK", ColorScheme::Dark, ColorScheme::Dark},   {"", ColorScheme::Light, ColorScheme::Light},
    };
    for (const Case& c : cases) {
        if (c.setting)
            defaults.setValue("appearance", c.setting);
        else
            defaults.remove("appearance");
        provider.setSystemColorScheme(c.system);
        App::AppearanceManager manager(defaults, provider, startup);
        manager.apply();
        const char* name = c.setting ? c.setting : "(absent)";
        EXPECT_EQ(manager.effectiveScheme(), c.expected) << name;
        EXPECT_EQ(isDark(QApplication::palette()), c.expected == ColorScheme::Dark) << name;
    }
}

TEST_F(AppearanceManagerTest, SystemKeepsTheDesktopPaletteWhenItMatches) {
    defaults.setValue("appearance", "system");
    provider.setSystemColorScheme(ColorScheme::Light);
    App::AppearanceManager manager(defaults, provider, startup);
    manager.apply();
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0xDD, 0xEE, 0xDD));
}

TEST_F(AppearanceManagerTest, FollowsTheDesktopOnlyWhileSetToSystem) {
    defaults.setValue("appearance", "system");
    App::AppearanceManager manager(defaults, provider, startup);
    manager.apply();
    EXPECT_FALSE(isDark(QApplication::palette()));
    provider.setSystemColorScheme(ColorScheme::Dark);
    EXPECT_TRUE(isDark(QApplication::palette())) << "applied at once";

    defaults.setValue("appearance", "light");
    manager.apply();
    provider.setSystemColorScheme(ColorScheme::Dark);
    EXPECT_FALSE(isDark(QApplication::palette())) << "a forced choice ignores the desktop";
}

TEST_F(AppearanceManagerTest, ReduceMotionComesFromTheDesktop) {
    App::AppearanceManager manager(defaults, provider, startup);
    EXPECT_FALSE(manager.reduceMotion());
    provider.setReduceMotion(true);
    EXPECT_TRUE(manager.reduceMotion());
}

TEST(Palettes, TextIsReadableOnBothPalettes) {
    for (const QPalette& palette :
         {App::AppearanceManager::lightPalette(), App::AppearanceManager::darkPalette()}) {
        const int window = palette.color(QPalette::Window).lightness();
        const int text = palette.color(QPalette::WindowText).lightness();
        EXPECT_GT(std::abs(window - text), 150);
        EXPECT_GT(
            std::abs(palette.color(QPalette::Base).lightness() - palette.color(QPalette::Text).lightness()),
            150);
    }
}

} // namespace
