#pragma once

#include <QEasingCurve>

class QVariantAnimation;

namespace Platform {
class AppearanceProvider;
}

namespace QS::Motion {

// One named way of moving: how long it runs and how progress follows time.
struct Animation {
    int durationMs = 0;
    QEasingCurve curve;

    // A zero-length animation: the new state is applied at once.
    bool isInstant() const { return durationMs == 0; }
};

// Ease-out over 0.12 s: hover and other small feedback.
Animation fast();
// A damped spring (response 0.32 s, damping fraction 0.78): selection and filter changes.
Animation spring();
// Ease-in-out over 0.2 s: overlays and page changes.
Animation soft();
// The variant every animation takes under Reduce Motion: no movement, the end state at once.
Animation plain();

// The spring's response is the period of its undamped oscillation in seconds; the damping fraction
// is below 1 for a spring that overshoots and rings out, 1 or more for one that never overshoots.
// The duration is the time until the motion has settled within 0.1 % of its travel.
int springDurationMs(double response, double dampingFraction);
// The spring's progress over normalised time 0...1 of that duration; exactly 0 at 0 and 1 at 1.
double springProgress(double response, double dampingFraction, double t);

// A spring with other constants. QEasingCurve takes a plain function as its custom curve, so the
// constants are template arguments: each distinct spring is its own function.
template <double Response, double DampingFraction> Animation springWith() {
    Animation animation;
    animation.durationMs = springDurationMs(Response, DampingFraction);
    animation.curve.setCustomType(
        [](qreal t) -> qreal { return springProgress(Response, DampingFraction, t); });
    return animation;
}

// The desktop's appearance, where Reduce Motion is read at the moment an animation starts. The
// application installs its provider once at start-up; without one, motion is never reduced.
void setAppearanceProvider(Platform::AppearanceProvider* provider);
bool reduceMotion();

// `animation`, or `plain()` while Reduce Motion is on.
Animation honouringReduceMotion(const Animation& animation);

// Gives `target` the duration and curve of `animation` as Reduce Motion allows right now.
void configure(QVariantAnimation& target, const Animation& animation);

// Restarts `target` from `from` to `to` along `animation`, as Reduce Motion allows right now (where
// the plain variant applies `to` as the animation starts). Feedback that is no motion, such as a
// hover fade, passes `honourReduceMotion` false and always runs its curve.
void runTo(QVariantAnimation& target, qreal from, qreal to, const Animation& animation,
           bool honourReduceMotion = true);

} // namespace QS::Motion
