#include <App/LanguageManager.h>
#include <Platform/UserDefaults.h>
#include <UI/Settings/SettingsWindowController.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(SettingsWindow, FixedSizeCentredOnEveryShowAndOnlyHiddenByClose) {
    UI::SettingsWindowController controller;
    QWidget* window = controller.window();
    EXPECT_FALSE(window->isVisible()) << "built without being shown";
    controller.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->size(), QSize(640, 540));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    EXPECT_LE((window->frameGeometry().center() - screenCentre).manhattanLength(), 10)
        << "centred up to the frame";

    window->move(0, 0);
    window->close();
    EXPECT_FALSE(window->isVisible());
    controller.show();
    EXPECT_TRUE(window->isVisible());
    EXPECT_LE((window->frameGeometry().center() - screenCentre).manhattanLength(), 10)
        << "centred up to the frame";
}

TEST(SettingsWindow, TitleFollowsTheInAppLanguageWhileOpen) {
    Platform::UserDefaults defaults;
    defaults.setValue("appLanguage", "en");
    App::LanguageManager language(defaults, [] { return QStringList{"en-US"}; });
    language.installTranslators();
    UI::SettingsWindowController controller;
    controller.show();
    EXPECT_EQ(controller.window()->windowTitle(), "Quillstack Settings");
    language.setSelection("pl");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return controller.window()->windowTitle() == "Ustawienia Quillstack"; }, 2000));
    language.setSelection("en");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return controller.window()->windowTitle() == "Quillstack Settings"; }, 2000));
}

} // namespace
