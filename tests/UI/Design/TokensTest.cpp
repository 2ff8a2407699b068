#include <App/AppearanceManager.h>
#include <Platform/Fakes/FakeAppearanceProvider.h>
#include <UI/Design/Color.h>
#include <UI/Design/Motion.h>

#include <QVariantAnimation>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

namespace {

using QS::Color::Scheme;

struct ColorCase {
    const char* token;
    std::function<QColor(Scheme)> color;
    QColor light;
    QColor dark;
};

QColor rgba(int r, int g, int b, qreal alpha) {
    QColor color(r, g, b);
    color.setAlphaF(alpha);
    return color;
}

void expectSameColor(const QColor& actual, const QColor& expected, const char* token, const char* scheme) {
    constexpr double tolerance = 1.0 / 255.0;
    EXPECT_NEAR(actual.redF(), expected.redF(), tolerance) << token << " " << scheme;
    EXPECT_NEAR(actual.greenF(), expected.greenF(), tolerance) << token << " " << scheme;
    EXPECT_NEAR(actual.blueF(), expected.blueF(), tolerance) << token << " " << scheme;
    EXPECT_NEAR(actual.alphaF(), expected.alphaF(), tolerance) << token << " " << scheme;
}

TEST(DesignColor, TokensInLightAndDark) {
    const QColor ink(29, 29, 31);
    const QColor paper(236, 236, 238);
    const std::vector<ColorCase> cases = {
        {"brand", [](Scheme) { return QS::Color::brand(); }, QColor(108, 92, 231), QColor(108, 92, 231)},
        {"brandSoft", [](Scheme) { return QS::Color::brandSoft(); }, QColor(162, 155, 254),
         QColor(162, 155, 254)},
        {"rowHover", QS::Color::rowHover, rgba(29, 29, 31, 0.07), rgba(236, 236, 238, 0.07)},
        {"cardFill", QS::Color::cardFill, rgba(29, 29, 31, 0.06), rgba(236, 236, 238, 0.06)},
        {"cardStroke", QS::Color::cardStroke, rgba(29, 29, 31, 0.14), rgba(236, 236, 238, 0.14)},
        {"glassFill", QS::Color::glassFill, rgba(29, 29, 31, 0.09), rgba(236, 236, 238, 0.09)},
        {"secondaryText", QS::Color::secondaryText, rgba(29, 29, 31, 0.62), rgba(236, 236, 238, 0.62)},
        {"tertiaryText", QS::Color::tertiaryText, rgba(29, 29, 31, 0.45), rgba(236, 236, 238, 0.42)},
        {"badgeCode", [](Scheme) { return QS::Color::badgeCode(); }, QColor::fromRgbF(0.02f, 0.42f, 0.78f),
         QColor::fromRgbF(0.02f, 0.42f, 0.78f)},
        {"badgeURL", [](Scheme) { return QS::Color::badgeURL(); }, QColor::fromRgbF(0.78f, 0.32f, 0.22f),
         QColor::fromRgbF(0.78f, 0.32f, 0.22f)},
        {"badgeImage", [](Scheme) { return QS::Color::badgeImage(); }, QColor::fromRgbF(0.0f, 0.55f, 0.45f),
         QColor::fromRgbF(0.0f, 0.55f, 0.45f)},
        {"badgeSnippet", [](Scheme) { return QS::Color::badgeSnippet(); }, QColor(108, 92, 231),
         QColor(108, 92, 231)},
        {"badgeFile", QS::Color::badgeFile, rgba(29, 29, 31, 0.62), rgba(236, 236, 238, 0.62)},
        {"label", QS::Color::label, ink, paper},
    };
    for (const ColorCase& c : cases) {
        expectSameColor(c.color(Scheme::Light), c.light, c.token, "light");
        expectSameColor(c.color(Scheme::Dark), c.dark, c.token, "dark");
    }
}

TEST(DesignColor, SchemeFollowsTheApplicationPalette) {
    EXPECT_EQ(QS::Color::schemeOf(App::AppearanceManager::lightPalette()), Scheme::Light);
    EXPECT_EQ(QS::Color::schemeOf(App::AppearanceManager::darkPalette()), Scheme::Dark);
}

TEST(DesignColor, SystemHuesAreBrighterInDark) {
    using QS::Color::System;
    for (System hue : {System::Blue, System::Green, System::Indigo, System::Orange, System::Pink,
                       System::Purple, System::Red}) {
        const QColor light = QS::Color::system(hue, Scheme::Light);
        const QColor dark = QS::Color::system(hue, Scheme::Dark);
        EXPECT_GE(dark.lightness(), light.lightness()) << static_cast<int>(hue);
        EXPECT_EQ(light.alpha(), 255);
    }
}

double peakOf(const QEasingCurve& curve) {
    double peak = 0;
    for (int i = 0; i <= 2000; ++i)
        peak = std::max(peak, curve.valueForProgress(i / 2000.0));
    return peak;
}

TEST(DesignMotion, SpringStartsAtZeroEndsAtOneAndOvershootsAsItsDampingSays) {
    const QS::Motion::Animation spring = QS::Motion::spring();
    EXPECT_EQ(spring.curve.type(), QEasingCurve::Custom);
    EXPECT_DOUBLE_EQ(spring.curve.valueForProgress(0.0), 0.0);
    EXPECT_DOUBLE_EQ(spring.curve.valueForProgress(1.0), 1.0);

    // An underdamped spring's first overshoot is e^(-ζπ/√(1-ζ²)) of its travel: 2 % at 0.78.
    const double damping = 0.78;
    const double overshoot = std::exp(-damping * std::numbers::pi / std::sqrt(1 - damping * damping));
    EXPECT_NEAR(peakOf(spring.curve), 1.0 + overshoot, 0.003);

    // It settles: the last fifth stays within a hair of the target.
    for (int i = 80; i <= 100; ++i)
        EXPECT_NEAR(spring.curve.valueForProgress(i / 100.0), 1.0, 0.004) << i;
    // A response of 0.32 s with this damping settles in roughly half a second.
    EXPECT_GT(spring.durationMs, 400);
    EXPECT_LT(spring.durationMs, 560);
}

TEST(DesignMotion, SpringsWithOtherConstants) {
    // Less damping overshoots more and takes longer to settle.
    const auto bouncy = QS::Motion::springWith<0.25, 0.6>();
    const auto firm = QS::Motion::springWith<0.38, 0.84>();
    EXPECT_NEAR(peakOf(bouncy.curve), 1.0 + std::exp(-0.6 * std::numbers::pi / std::sqrt(1 - 0.36)), 0.003);
    EXPECT_NEAR(peakOf(firm.curve), 1.0 + std::exp(-0.84 * std::numbers::pi / std::sqrt(1 - 0.84 * 0.84)),
                0.003);

    // Critically damped: never past the target, and always moving towards it.
    const auto critical = QS::Motion::springWith<0.3, 1.0>();
    double previous = 0;
    for (int i = 0; i <= 200; ++i) {
        const double value = critical.curve.valueForProgress(i / 200.0);
        EXPECT_LE(value, 1.0 + 1e-9);
        EXPECT_GE(value, previous - 1e-9);
        previous = value;
    }
    EXPECT_DOUBLE_EQ(critical.curve.valueForProgress(1.0), 1.0);
    const auto overdamped = QS::Motion::springWith<0.3, 1.6>();
    EXPECT_LE(peakOf(overdamped.curve), 1.0 + 1e-9);
    EXPECT_GT(overdamped.durationMs, critical.durationMs);
}

TEST(DesignMotion, EasedTokens) {
    const QS::Motion::Animation fast = QS::Motion::fast();
    const QS::Motion::Animation soft = QS::Motion::soft();
    EXPECT_EQ(fast.durationMs, 120);
    EXPECT_EQ(soft.durationMs, 200);
    for (const auto* curve : {&fast.curve, &soft.curve}) {
        EXPECT_NEAR(curve->valueForProgress(0.0), 0.0, 1e-6);
        EXPECT_NEAR(curve->valueForProgress(1.0), 1.0, 1e-6);
        EXPECT_LE(peakOf(*curve), 1.0 + 1e-6);
    }
    // Ease-out is ahead of linear time throughout; ease-in-out is behind at first, ahead later.
    EXPECT_GT(fast.curve.valueForProgress(0.25), 0.25);
    EXPECT_GT(fast.curve.valueForProgress(0.75), 0.75);
    EXPECT_LT(soft.curve.valueForProgress(0.2), 0.2);
    EXPECT_GT(soft.curve.valueForProgress(0.8), 0.8);
    EXPECT_NEAR(soft.curve.valueForProgress(0.5), 0.5, 0.01);
}

class DesignMotionReduced : public ::testing::Test {
protected:
    void SetUp() override { QS::Motion::setAppearanceProvider(provider.get()); }
    void TearDown() override { QS::Motion::setAppearanceProvider(nullptr); }

    std::unique_ptr<Platform::FakeAppearanceProvider> provider =
        std::make_unique<Platform::FakeAppearanceProvider>();
};

TEST_F(DesignMotionReduced, EveryTokenHasAnInstantVariantReadAtTheMomentOfUse) {
    const std::vector<QS::Motion::Animation> tokens = {
        QS::Motion::fast(), QS::Motion::spring(), QS::Motion::soft(), QS::Motion::springWith<0.25, 0.6>()};
    for (const auto& token : tokens)
        EXPECT_EQ(QS::Motion::honouringReduceMotion(token).durationMs, token.durationMs);

    provider->setReduceMotion(true);
    for (const auto& token : tokens) {
        EXPECT_TRUE(QS::Motion::honouringReduceMotion(token).isInstant());
        // The tokens themselves do not change: callers decide.
        EXPECT_FALSE(token.isInstant());
    }
    QVariantAnimation animation;
    QS::Motion::configure(animation, QS::Motion::spring());
    EXPECT_EQ(animation.duration(), 0);
    QVariant seen;
    QObject::connect(&animation, &QVariantAnimation::valueChanged, [&](const QVariant& v) { seen = v; });
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    animation.start();
    EXPECT_EQ(animation.state(), QAbstractAnimation::Stopped) << "an instant animation ends as it starts";
    EXPECT_DOUBLE_EQ(seen.toDouble(), 1.0) << "and leaves its end value at once";

    provider->setReduceMotion(false);
    QS::Motion::configure(animation, QS::Motion::spring());
    EXPECT_EQ(animation.duration(), QS::Motion::spring().durationMs);
    EXPECT_EQ(animation.easingCurve().type(), QEasingCurve::Custom);
}

TEST_F(DesignMotionReduced, AProviderThatIsGoneNoLongerReducesMotion) {
    provider->setReduceMotion(true);
    EXPECT_TRUE(QS::Motion::reduceMotion());
    provider.reset();
    EXPECT_FALSE(QS::Motion::reduceMotion());
}

} // namespace
