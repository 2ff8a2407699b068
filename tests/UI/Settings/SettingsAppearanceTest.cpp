// The Appearance page: the colour scheme applies to every window at once, and the preview font
// size is written through the settings, whose change signal reaches open previews.
#include "LiveRestyle.h"
#include "SettingsFixture.h"

#include <UI/Design/Color.h>
#include <UI/Design/QSChoiceCard.h>

#include <QLabel>
#include <QSignalSpy>
#include <QSlider>

using UI::SettingsTab;

namespace {

using SettingsAppearance = SettingsFixture;

TEST_F(SettingsAppearance, ASchemeAppliesToTheWholeApplicationAtOnce) {
    appearanceProvider.setSystemColorScheme(Platform::ColorScheme::Light);
    appearance.apply();
    open(SettingsTab::Appearance);
    EXPECT_TRUE(find<QSChoiceCard>(QStringLiteral("appearance.system"))->isSelected());

    QTest::mouseClick(find(QStringLiteral("appearance.dark")), Qt::LeftButton);
    EXPECT_EQ(defaults.stringValue(App::SettingsKeys::appearance), "dark");
    EXPECT_EQ(QS::Color::schemeOf(QApplication::palette()), QS::Color::Scheme::Dark);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QS::Color::schemeOf(*controller->window()) == QS::Color::Scheme::Dark; }, 1000))
        << "this window too";
    EXPECT_TRUE(find<QSChoiceCard>(QStringLiteral("appearance.dark"))->isSelected());
    EXPECT_FALSE(find<QSChoiceCard>(QStringLiteral("appearance.system"))->isSelected());

    QTest::mouseClick(find(QStringLiteral("appearance.system")), Qt::LeftButton);
    EXPECT_EQ(QS::Color::schemeOf(QApplication::palette()), QS::Color::Scheme::Light)
        << "the desktop's again";
}

// The scheme chosen while the window is open restyles each page as a window opened after the
// choice would show it: radio buttons, labels, icons and tints alike, both ways.
TEST_F(SettingsAppearance, ALiveSchemeSwitchRestylesEveryPageAsAWindowOpenedAfterIt) {
    QApplication::setCursorFlashTime(0);
    appearanceProvider.setReduceMotion(true);
    for (const auto& [from, to] : {std::pair{"light", "dark"}, std::pair{"dark", "light"}}) {
        for (const SettingsTab tab : UI::SettingsView::tabs()) {
            defaults.setValue(App::SettingsKeys::appearance, QString::fromLatin1(from));
            appearance.apply();
            controller.reset();
            open(tab);
            // On its own page the choice is made on its card, which shows it as chosen.
            if (tab == SettingsTab::Appearance) {
                QTest::mouseClick(find(QStringLiteral("appearance.") + QString::fromLatin1(to)), Qt::LeftButton);
            } else {
                defaults.setValue(App::SettingsKeys::appearance, QString::fromLatin1(to));
                appearance.apply();
            }
            UI::SettingsWindowController fresh(services());
            fresh.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(fresh.window()));
            fresh.view()->selectTab(tab);
            finishMotion();
            // Focus is drawn, and only one of them has it.
            for (QWidget* window : {controller->window(), static_cast<QWidget*>(fresh.window())}) {
                if (QWidget* focused = window->focusWidget())
                    focused->clearFocus();
            }
            EXPECT_EQ(LiveRestyle::differences(*controller->window(), *fresh.window()).join(u'\n').toStdString(), "")
                << from << " to " << to << " on " << UI::SettingsView::rawValue(tab).toStdString();
        }
    }
}

TEST_F(SettingsAppearance, AnUnknownSchemeShowsAsFollowingTheDesktop) {
    defaults.setValue(App::SettingsKeys::appearance, QStringLiteral("Dark"));
    open(SettingsTab::Appearance);
    EXPECT_TRUE(find<QSChoiceCard>(QStringLiteral("appearance.system"))->isSelected());
    EXPECT_FALSE(find<QSChoiceCard>(QStringLiteral("appearance.dark"))->isSelected());
}

TEST_F(SettingsAppearance, ThePreviewFontSizeIsWrittenAsItMovesWithinItsRange) {
    open(SettingsTab::Appearance);
    auto* slider = find<QSlider>(QStringLiteral("previewFontSize"));
    EXPECT_EQ(slider->value(), 12);
    EXPECT_EQ(slider->minimum(), 10);
    EXPECT_EQ(slider->maximum(), 18);
    QSignalSpy changes(&defaults, &Platform::UserDefaults::valueChanged);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(defaults.intValue(App::SettingsKeys::previewFontSize), 14);
    EXPECT_EQ(changes.count(), 2) << "one notice per step, for open previews";
    EXPECT_EQ(changes.last().first().toString(), App::SettingsKeys::previewFontSize);
    EXPECT_EQ(find<QLabel>(QStringLiteral("previewSample"))->font().pixelSize(), 14);
    QTest::keyClick(slider, Qt::Key_End);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(defaults.intValue(App::SettingsKeys::previewFontSize), 18);
}

} // namespace
