// The rounded windows on the test session's server, which runs no compositing manager: without one,
// transparent pixels show black, so the history panel and the onboarding window are opaque and cut
// to their rounded shape, and what lies behind shows in their corners.
#include "HistoryFixture.h"
#include "TestSession.h"

#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/X11/X11Compositing.h>
#include <UI/HistoryWindow/HistoryPanelController.h>
#include <UI/HistoryWindow/HistoryView.h>
#include <UI/Onboarding/OnboardingWindowController.h>

#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

namespace {

const QColor kBehind(200, 60, 40);

class PanelShapeX11 : public HistoryFixture {
protected:
    void SetUp() override {
        HistoryFixture::SetUp();
        ASSERT_FALSE(Platform::X11::isCompositingManagerRunning()) << "the session runs no compositor";
        // A plain coloured window under everything, so that a corner shows either it or black.
        behind.setWindowFlags(Qt::FramelessWindowHint);
        QPalette palette = behind.palette();
        palette.setColor(QPalette::Window, kBehind);
        behind.setPalette(palette);
        behind.setAutoFillBackground(true);
        behind.setGeometry(QGuiApplication::primaryScreen()->geometry());
        behind.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&behind));
    }

    // The screen's pixels where `window` stands: its corner, and a point well inside it.
    static QImage screenUnder(const QWidget& window) {
        QTest::qWait(300);
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, window.x(), window.y(), window.width(), window.height())
            .toImage();
    }

    static void expectRoundedAndOpaque(const QWidget& window, const QPoint& inside, const QString& name) {
        EXPECT_FALSE(window.testAttribute(Qt::WA_TranslucentBackground));
        EXPECT_FALSE(window.mask().contains(QPoint(0, 0))) << "the corner is cut away";
        EXPECT_TRUE(window.mask().contains(inside));
        const QImage screen = screenUnder(window);
        ASSERT_FALSE(screen.isNull());
        const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
        QDir().mkpath(directory);
        screen.save(directory + QStringLiteral("/%1-without-compositor.png").arg(name));
        EXPECT_EQ(screen.pixelColor(1, 1), kBehind) << "the window behind shows in the corner";
        EXPECT_EQ(screen.pixelColor(window.width() - 2, window.height() - 2), kBehind);
        const QColor centre = screen.pixelColor(inside);
        EXPECT_GT(centre.lightness(), 100) << "the card is drawn opaque, not over black";
    }

    QWidget behind;
};

TEST_F(PanelShapeX11, TheHistoryPanelIsOpaqueAndRoundedWithoutACompositor) {
    addText(QStringLiteral("hello"));
    RecordingPasting pasting;
    HistoryPanelServices services;
    services.store = store.get();
    services.pasting = &pasting;
    services.images = images.get();
    services.defaults = &defaults;
    services.composited = Platform::X11::isCompositingManagerRunning();
    HistoryPanelController controller(services);
    controller.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.panel()));
    controller.panel()->raise();
    expectRoundedAndOpaque(*controller.panel(), QPoint(HistoryView::kWidth / 2, 40),
                           QStringLiteral("history-panel"));

    // Quick Look dims the panel, not the desktop around its corners.
    QTest::keyClick(controller.view()->searchField(), Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.view()->quickLook() != nullptr; }, 2000));
    const QImage screen = screenUnder(*controller.panel());
    EXPECT_EQ(screen.pixelColor(1, 1), kBehind);
}

TEST_F(PanelShapeX11, TheOnboardingWindowIsOpaqueAndRoundedWithoutACompositor) {
    Platform::FakeScheduler scheduler;
    OnboardingServices services;
    services.scheduler = &scheduler;
    UI::OnboardingWindowController controller([] {}, services,
                                              Platform::X11::isCompositingManagerRunning());
    controller.show();
    QWidget* window = controller.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->raise();
    QTest::qWait(400); // the fade-in
    expectRoundedAndOpaque(*window, QPoint(window->width() / 2, window->height() / 2),
                           QStringLiteral("onboarding"));
}

} // namespace
