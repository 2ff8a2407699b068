#include <UI/Onboarding/OnboardingWindowController.h>

#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(OnboardingWindow, ShowsCentredAndFadesInUnlessMotionIsReduced) {
    for (const bool reduceMotion : {true, false}) {
        UI::OnboardingWindowController controller([] {}, [reduceMotion] { return reduceMotion; });
        QWidget* window = controller.window();
        controller.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(window->size(), QSize(580, 560));
        const QPoint screenCentre = window->screen()->availableGeometry().center();
        EXPECT_LE((window->frameGeometry().center() - screenCentre).manhattanLength(), 10)
            << "centred up to the frame";
        if (reduceMotion) {
            EXPECT_DOUBLE_EQ(window->windowOpacity(), 1.0);
        } else {
            EXPECT_LT(window->windowOpacity(), 1.0) << "starts transparent";
            EXPECT_TRUE(QTest::qWaitFor([&] { return window->windowOpacity() == 1.0; }, 2000));
        }
        controller.close();
        EXPECT_FALSE(window->isVisible());
    }
}

TEST(OnboardingWindow, FinishingCallsBackOnce) {
    int finished = 0;
    UI::OnboardingWindowController controller([&] { ++finished; }, [] { return true; });
    controller.show();
    auto* button = controller.window()->findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Get Started");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(finished, 1);
}

} // namespace
