#include <App/AppearanceManager.h>
#include <UI/Design/ThinScrollbarConfigurator.h>
#include <UI/Design/VisualEffectBackground.h>
#include <UI/Design/WindowDragHandle.h>

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QImage renderOf(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(PanelBackground, SwitchingAppearanceSwapsMaterialAndTintInPlace) {
    PanelBackground background;
    background.resize(200, 120);
    background.setPalette(App::AppearanceManager::lightPalette());
    EXPECT_EQ(background.material(), VisualEffectBackground::Material::Popover);
    EXPECT_EQ(background.tint().rgb(), QColor(Qt::white).rgb());
    EXPECT_NEAR(background.tint().alphaF(), 0.65, 0.01);
    const QImage light = renderOf(background);

    background.setPalette(App::AppearanceManager::darkPalette());
    EXPECT_EQ(background.material(), VisualEffectBackground::Material::Menu);
    EXPECT_EQ(background.tint().rgb(), App::AppearanceManager::darkPalette().color(QPalette::Window).rgb());
    EXPECT_NEAR(background.tint().alphaF(), 0.35, 0.01);
    const QImage dark = renderOf(background);

    const QPoint centre(100, 60);
    EXPECT_GT(light.pixelColor(centre).lightness(), 200);
    EXPECT_LT(dark.pixelColor(centre).lightness(), 70);
    for (const QImage* image : {&light, &dark}) {
        // Translucent glass, rounded corners through which the desktop shows.
        EXPECT_GT(image->pixelColor(centre).alpha(), 180);
        EXPECT_LT(image->pixelColor(centre).alpha(), 255);
        EXPECT_EQ(image->pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(image->pixelColor(199, 119).alpha(), 0);
    }
}

TEST(WindowDragHandle, PressingAndMovingMovesTheWholeWindow) {
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* handle = new WindowDragHandle;
    handle->setFixedHeight(16);
    layout->addWidget(handle);
    layout->addStretch();
    window.setGeometry(100, 100, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(handle->cursor().shape(), Qt::OpenHandCursor);

    const QPoint start = window.pos();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(50, 8));
    QMouseEvent move(QEvent::MouseMove, QPointF(90, 33), handle->mapToGlobal(QPointF(90, 33)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(90, 33));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));

    // Moving without a press in the strip leaves the window where it is.
    const QPoint after = window.pos();
    QMouseEvent stray(QEvent::MouseMove, QPointF(10, 10), handle->mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &stray);
    EXPECT_EQ(window.pos(), after);
}

TEST(ThinScrollbarConfigurator, NoHorizontalBarAndAThinVerticalOneThatFollowsTheScheme) {
    QListWidget list;
    list.setPalette(App::AppearanceManager::lightPalette());
    for (int i = 0; i < 200; ++i)
        list.addItem(QStringLiteral("A long enough line of text to overflow the list's width: %1").arg(i));
    list.resize(120, 200);
    ThinScrollbarConfigurator::apply(list);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(list.horizontalScrollBar()->isVisible());
    ASSERT_TRUE(list.verticalScrollBar()->isVisible());
    EXPECT_LE(list.verticalScrollBar()->sizeHint().width(), 8);
    const QString lightStyle = list.verticalScrollBar()->styleSheet();

    list.setPalette(App::AppearanceManager::darkPalette());
    ThinScrollbarConfigurator::apply(list);
    EXPECT_NE(list.verticalScrollBar()->styleSheet(), lightStyle) << "a light knob on a dark list";
}

} // namespace
