#include "AnimatedValue.h"

#include <QVariantAnimation>

#include <cmath>
#include <numbers>

namespace {

// Ease-in-out there and back within one loop of the animation.
qreal swingCurve(qreal t) {
    const qreal leg = t < 0.5 ? 2.0 * t : 2.0 - 2.0 * t;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * leg);
}

} // namespace

AnimatedValue::AnimatedValue(qreal initial, std::function<void()> onChange, QObject* parent)
    : QObject(parent), m_value(initial), m_onChange(std::move(onChange)),
      m_animation(new QVariantAnimation(this)) {
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { apply(value.toReal()); });
}

void AnimatedValue::animateTo(qreal target, const QS::Motion::Animation& motion) {
    const QS::Motion::Animation effective = QS::Motion::honouringReduceMotion(motion);
    if (effective.isInstant()) {
        set(target);
        return;
    }
    m_animation->stop();
    m_animation->setLoopCount(1);
    m_animation->setDuration(effective.durationMs);
    m_animation->setEasingCurve(effective.curve);
    m_animation->setStartValue(m_value);
    m_animation->setEndValue(target);
    m_animation->start();
}

void AnimatedValue::set(qreal value) {
    m_animation->stop();
    apply(value);
}

void AnimatedValue::swing(qreal from, qreal to, int halfPeriodMs) {
    m_animation->stop();
    QEasingCurve curve;
    curve.setCustomType(&swingCurve);
    m_animation->setLoopCount(-1);
    m_animation->setDuration(2 * halfPeriodMs);
    m_animation->setEasingCurve(curve);
    m_animation->setStartValue(from);
    m_animation->setEndValue(to);
    m_animation->start();
}

void AnimatedValue::setPaused(bool paused) {
    if (paused && m_animation->state() == QAbstractAnimation::Running)
        m_animation->pause();
    else if (!paused && m_animation->state() == QAbstractAnimation::Paused)
        m_animation->resume();
}

void AnimatedValue::apply(qreal value) {
    if (value == m_value)
        return;
    m_value = value;
    if (m_onChange)
        m_onChange();
}
