#include "Motion.h"

#include <Platform/AppearanceProvider.h>

#include <QPointF>
#include <QPointer>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace QS::Motion {

namespace {

// What is left of the travel when a spring counts as settled.
constexpr double kSettledRemainder = 0.001;

QPointer<Platform::AppearanceProvider>& installedProvider() {
    static QPointer<Platform::AppearanceProvider> provider;
    return provider;
}

// Progress of a spring released from 0 towards 1 at rest, `seconds` after the release.
double springAt(double response, double damping, double seconds) {
    const double omega = 2.0 * std::numbers::pi / response;
    if (damping < 1.0) {
        const double decay = damping * omega;
        const double damped = omega * std::sqrt(1.0 - damping * damping);
        return 1.0 - std::exp(-decay * seconds) *
                         (std::cos(damped * seconds) + decay / damped * std::sin(damped * seconds));
    }
    if (damping == 1.0)
        return 1.0 - std::exp(-omega * seconds) * (1.0 + omega * seconds);
    const double root = std::sqrt(damping * damping - 1.0);
    const double slow = -omega * (damping - root);
    const double quick = -omega * (damping + root);
    const double slowWeight = -quick / (quick - slow);
    const double quickWeight = slow / (quick - slow);
    return 1.0 + slowWeight * std::exp(slow * seconds) + quickWeight * std::exp(quick * seconds);
}

double settleSeconds(double response, double damping) {
    const double omega = 2.0 * std::numbers::pi / response;
    if (damping < 1.0) {
        // The oscillation stays inside e^(-decay t) / sqrt(1 - damping²).
        const double envelope = 1.0 / std::sqrt(1.0 - damping * damping);
        return std::log(envelope / kSettledRemainder) / (damping * omega);
    }
    // Without overshoot the approach is monotonic: find where the remainder drops below the limit.
    double low = 0.0;
    double high = response;
    while (1.0 - springAt(response, damping, high) > kSettledRemainder)
        high *= 2.0;
    for (int i = 0; i < 60; ++i) {
        const double middle = (low + high) / 2.0;
        (1.0 - springAt(response, damping, middle) > kSettledRemainder ? low : high) = middle;
    }
    return high;
}

// The standard timing curves as cubic Béziers through (0, 0) and (1, 1).
Animation bezier(int durationMs, QPointF first, QPointF second) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1.0, 1.0));
    return Animation{durationMs, curve};
}

} // namespace

Animation fast() {
    return bezier(120, QPointF(0.0, 0.0), QPointF(0.58, 1.0));
}

Animation spring() {
    return springWith<0.32, 0.78>();
}

Animation soft() {
    return bezier(200, QPointF(0.42, 0.0), QPointF(0.58, 1.0));
}

Animation plain() {
    return Animation{0, QEasingCurve(QEasingCurve::Linear)};
}

int springDurationMs(double response, double dampingFraction) {
    return static_cast<int>(std::lround(settleSeconds(response, dampingFraction) * 1000.0));
}

double springProgress(double response, double dampingFraction, double t) {
    if (t <= 0.0)
        return 0.0;
    if (t >= 1.0)
        return 1.0;
    const double duration = settleSeconds(response, dampingFraction);
    // The remainder at the settling time is spread linearly over the run, so the curve lands on 1.
    const double remainder = 1.0 - springAt(response, dampingFraction, duration);
    return springAt(response, dampingFraction, t * duration) + t * remainder;
}

void setAppearanceProvider(Platform::AppearanceProvider* provider) {
    installedProvider() = provider;
}

bool reduceMotion() {
    const auto& provider = installedProvider();
    return provider && provider->reduceMotion();
}

Animation honouringReduceMotion(const Animation& animation) {
    return reduceMotion() ? plain() : animation;
}

void configure(QVariantAnimation& target, const Animation& animation) {
    const Animation effective = honouringReduceMotion(animation);
    target.setDuration(std::max(effective.durationMs, 0));
    target.setEasingCurve(effective.curve);
}

void runTo(QVariantAnimation& target, qreal from, qreal to, const Animation& animation,
           bool honourReduceMotion) {
    target.stop();
    if (honourReduceMotion) {
        configure(target, animation);
    } else {
        target.setDuration(std::max(animation.durationMs, 0));
        target.setEasingCurve(animation.curve);
    }
    target.setStartValue(from);
    target.setEndValue(to);
    target.start();
}

} // namespace QS::Motion
