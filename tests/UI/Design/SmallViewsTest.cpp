#include <App/AppearanceManager.h>
#include <Hotkeys/KeyboardLayout.h>
#include <Hotkeys/Shortcut.h>
#include <Platform/Fakes/FakeAppearanceProvider.h>
#include <UI/Design/Color.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/Motion.h>
#include <UI/Design/QSBadge.h>
#include <UI/Design/QSChoiceCard.h>
#include <UI/Design/QSKeyCap.h>
#include <UI/Design/QSSectionHeader.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

using QS::Color::Scheme;

QPalette paletteFor(Scheme scheme) {
    return scheme == Scheme::Dark ? App::AppearanceManager::darkPalette()
                                  : App::AppearanceManager::lightPalette();
}

// The widget alone, on a transparent ground, at its preferred size.
QImage renderAlone(QWidget& widget, Scheme scheme) {
    widget.setPalette(paletteFor(scheme));
    widget.resize(widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Waits for an animated value to arrive at its end value.
bool settlesAt(const std::function<qreal()>& value, qreal target) {
    return QTest::qWaitFor([&] { return qFuzzyCompare(value(), target); }, 1000);
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& test) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

TEST(QSBadge, SameTextButItsOwnOpacitiesInLightAndDark) {
    const QColor color = QS::Color::badgeCode();
    QSBadge badge(QStringLiteral("SWIFT"), color);
    struct Expected {
        Scheme scheme;
        qreal fill;
    };
    for (const Expected& expected : {Expected{Scheme::Light, 0.16}, Expected{Scheme::Dark, 0.22}}) {
        const QImage image = renderAlone(badge, expected.scheme);
        // Inside the capsule, left of the text and clear of its outline.
        const QColor fill = image.pixelColor(3, image.height() / 2);
        EXPECT_NEAR(fill.alphaF(), expected.fill, 0.02);
        EXPECT_NEAR(fill.redF(), color.redF(), 0.02);
        EXPECT_NEAR(fill.blueF(), color.blueF(), 0.02);
        // The capsule's ends are round: the corner stays clear.
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        // The text is drawn nearly opaque in the badge's colour in both schemes.
        EXPECT_GT(countPixels(image, [](QColor c) { return c.alphaF() > 0.8; }), 10);
    }
    EXPECT_EQ(badge.text(), QStringLiteral("SWIFT")) << "shown as given";
}

TEST(QSBadge, WidthFollowsTheText) {
    QSBadge narrow(QStringLiteral("IMG"), QS::Color::badgeImage());
    QSBadge wide(QStringLiteral("JAVASCRIPT"), QS::Color::badgeCode());
    EXPECT_GT(wide.sizeHint().width(), narrow.sizeHint().width());
    EXPECT_EQ(wide.sizeHint().height(), narrow.sizeHint().height());
    const int before = narrow.sizeHint().width();
    narrow.setText(QStringLiteral("IMAGE"));
    EXPECT_GT(narrow.sizeHint().width(), before);
}

TEST(QSKeyCap, RendersTheShortcutTextItIsGiven) {
    const auto layout = Hotkeys::KeyboardLayout::fromNames(QStringLiteral("us"));
    ASSERT_TRUE(layout);
    // Shift+Super+V as stored: key V (9), shift 0x200 and command 0x100 in Carbon bits.
    const Hotkeys::Shortcut stored(9, 0x200 | 0x100);
    const QString text = KeyNotation::text(stored, *layout);
    ASSERT_EQ(text, QStringLiteral("Shift+Super+V"));

    QSKeyCap cap(text);
    EXPECT_EQ(cap.key(), text);
    const QSize withShortcut = cap.sizeHint();
    const QImage image = renderAlone(cap, Scheme::Light);
    const int inked = countPixels(image, [](QColor c) { return c.alphaF() > 0.5; });
    EXPECT_GT(inked, 15) << "the glyphs are drawn";

    // A recorded shortcut replaces the hint in place.
    const Hotkeys::Shortcut recorded(9, 0x1000 | 0x800 | 0x100);
    cap.setKey(KeyNotation::text(recorded, *layout));
    EXPECT_EQ(cap.key(), QStringLiteral("Ctrl+Alt+Super+V"));
    EXPECT_GT(cap.sizeHint().width(), QSKeyCap(QStringLiteral("V")).sizeHint().width());
    EXPECT_EQ(cap.sizeHint().height(), withShortcut.height());

    // A single glyph still makes a cap at least as wide as it is tall.
    QSKeyCap single(QStringLiteral("V"));
    EXPECT_GE(single.sizeHint().width(), single.sizeHint().height());
}

TEST(QSKeyCap, DarkCapIsLightInk) {
    QSKeyCap cap(QStringLiteral("Esc"));
    const QImage light = renderAlone(cap, Scheme::Light);
    const QImage dark = renderAlone(cap, Scheme::Dark);
    const auto inkLightness = [](const QImage& image) {
        int best = 0;
        QColor ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() > best) {
                    best = image.pixelColor(x, y).alpha();
                    ink = image.pixelColor(x, y);
                }
        return ink.lightness();
    };
    EXPECT_LT(inkLightness(light), 80);
    EXPECT_GT(inkLightness(dark), 170);
}

TEST(QSSectionHeader, SymbolInBrandColourBeforeTheTitle) {
    QSSectionHeader withIcon(QT_TRANSLATE_NOOP("QSSectionHeader", "Pinned"), QStringLiteral("pin.fill"));
    QSSectionHeader plain(QT_TRANSLATE_NOOP("QSSectionHeader", "Pinned"));
    EXPECT_EQ(withIcon.sizeHint().width() - plain.sizeHint().width(), 16)
        << "a 10-point symbol and 6 of spacing";
    EXPECT_EQ(withIcon.title(), QStringLiteral("Pinned"));

    withIcon.resize(240, withIcon.sizeHint().height());
    withIcon.setPalette(paletteFor(Scheme::Light));
    QImage image(withIcon.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    withIcon.render(&image);
    const QColor brand = QS::Color::brand();
    const QImage symbolArea = image.copy(10, 0, 10, image.height());
    EXPECT_GT(countPixels(symbolArea,
                          [&](QColor c) {
                              return c.alpha() > 200 && std::abs(c.red() - brand.red()) < 20 &&
                                     std::abs(c.blue() - brand.blue()) < 20;
                          }),
              5);
    EXPECT_EQ(withIcon.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding) << "takes the full width";
}

// Polish for the one title the test uses.
class PinnedInPolish : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, "QSSectionHeader") == 0 && qstrcmp(source, "Pinned") == 0)
            return QStringLiteral("Przypięte");
        return {};
    }
    bool isEmpty() const override { return false; }
};

TEST(QSSectionHeader, FollowsALanguageChangeInPlace) {
    QSSectionHeader header(QT_TRANSLATE_NOOP("QSSectionHeader", "Pinned"), QStringLiteral("pin.fill"));
    const int englishWidth = header.sizeHint().width();
    PinnedInPolish polish;
    QCoreApplication::installTranslator(&polish);
    EXPECT_EQ(header.title(), QStringLiteral("Przypięte"));
    EXPECT_GT(header.sizeHint().width(), englishWidth) << "the wider title makes room for itself";
    QCoreApplication::removeTranslator(&polish);
    EXPECT_EQ(header.title(), QStringLiteral("Pinned"));
    EXPECT_EQ(header.sizeHint().width(), englishWidth);
}

class QSChoiceCardTest : public ::testing::Test {
protected:
    void TearDown() override { QS::Motion::setAppearanceProvider(nullptr); }

    static void hover(QSChoiceCard& card, bool inside) {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(&card, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(&card, &leave);
        }
    }
};

TEST_F(QSChoiceCardTest, UnselectedCardGrowsUnderThePointerSelectedOneDoesNot) {
    QSChoiceCard unselected(
        false, [] {}, new QLabel(QStringLiteral("Near cursor")));
    QSChoiceCard selected(
        true, [] {}, new QLabel(QStringLiteral("Center of screen")));
    hover(unselected, true);
    hover(selected, true);
    EXPECT_TRUE(unselected.isHovering());
    EXPECT_LT(unselected.currentScale(), 1.015) << "it grows over time, not at once";
    EXPECT_TRUE(settlesAt([&] { return unselected.currentScale(); }, 1.015));
    QTest::qWait(150);
    EXPECT_DOUBLE_EQ(selected.currentScale(), 1.0);

    hover(unselected, false);
    EXPECT_TRUE(settlesAt([&] { return unselected.currentScale(); }, 1.0));
}

TEST_F(QSChoiceCardTest, SelectingEndsTheGrowthAndTintsTheCard) {
    int runs = 0;
    QSChoiceCard card(
        false, [&] { ++runs; }, new QLabel(QStringLiteral("Dark")));
    hover(card, true);
    EXPECT_TRUE(settlesAt([&] { return card.currentScale(); }, 1.015));
    card.setSelected(true);
    EXPECT_TRUE(settlesAt([&] { return card.selectionProgress(); }, 1.0));
    EXPECT_TRUE(settlesAt([&] { return card.currentScale(); }, 1.0));

    card.resize(160, 90);
    card.show();
    QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(80, 45));
    EXPECT_EQ(runs, 1) << "a click runs the action once";
}

TEST_F(QSChoiceCardTest, UnderReduceMotionChangesApplyAtOnce) {
    Platform::FakeAppearanceProvider provider;
    provider.setReduceMotion(true);
    QS::Motion::setAppearanceProvider(&provider);
    QSChoiceCard card(
        false, [] {}, new QLabel(QStringLiteral("Light")));
    hover(card, true);
    EXPECT_DOUBLE_EQ(card.currentScale(), 1.015);
    card.setSelected(true);
    EXPECT_DOUBLE_EQ(card.selectionProgress(), 1.0);
    EXPECT_DOUBLE_EQ(card.currentScale(), 1.0);
}

TEST_F(QSChoiceCardTest, SelectedAndUnselectedLookDifferent) {
    QSChoiceCard card(
        false, [] {}, nullptr);
    card.resize(120, 60);
    const QImage before = renderAlone(card, Scheme::Light);
    Platform::FakeAppearanceProvider provider;
    provider.setReduceMotion(true);
    QS::Motion::setAppearanceProvider(&provider);
    card.setSelected(true);
    card.resize(120, 60);
    const QImage after = renderAlone(card, Scheme::Light);
    const QColor centreBefore = before.pixelColor(before.width() / 2, before.height() / 2);
    const QColor centreAfter = after.pixelColor(after.width() / 2, after.height() / 2);
    EXPECT_NEAR(centreAfter.alphaF(), 0.14, 0.02) << "brand tint when selected";
    EXPECT_NEAR(centreBefore.alphaF(), 0.06, 0.02) << "card fill otherwise";
}

} // namespace
