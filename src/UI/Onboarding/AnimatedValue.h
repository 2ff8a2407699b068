#pragma once

#include <UI/Design/Motion.h>

#include <QObject>

#include <functional>

class QVariantAnimation;

// One number a view draws from (a scale, an opacity, a position), moved to new values along a named
// motion. Every change is handed to `onChange`, which repaints or lays out what shows it.
class AnimatedValue : public QObject {
public:
    AnimatedValue(qreal initial, std::function<void()> onChange, QObject* parent);

    qreal value() const { return m_value; }

    // Moves to `target` along `motion`; at once under Reduce Motion or for an instant motion.
    void animateTo(qreal target, const QS::Motion::Animation& motion);
    // Jumps to `value`, stopping any motion.
    void set(qreal value);
    // Swings between `from` and `to` and back for ever, each way eased in and out over `halfPeriodMs`.
    void swing(qreal from, qreal to, int halfPeriodMs);
    // Holds a running motion where it is, and lets it go on again.
    void setPaused(bool paused);

private:
    void apply(qreal value);

    qreal m_value;
    std::function<void()> m_onChange;
    QVariantAnimation* m_animation;
};
