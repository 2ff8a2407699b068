#include "Transition.h"

#include <QGraphicsOpacityEffect>
#include <QVariantAnimation>
#include <QWidget>

#include <algorithm>

namespace QS::Transition {
namespace {

constexpr const char* kAnimationName = "qs_transition";

QVariantAnimation* runningOn(const QWidget& widget) {
    return widget.findChild<QVariantAnimation*>(QString::fromLatin1(kAnimationName),
                                                Qt::FindDirectChildrenOnly);
}

// Progress 0 is the small, transparent end of the transition and 1 the widget in place; a spring
// may overshoot past 1 for a moment, which grows the widget slightly beyond its size.
void applyProgress(QWidget& widget, const QRect& target, double smallScale, double progress) {
    widget.setGeometry(scaledAroundCentre(target, smallScale + (1.0 - smallScale) * progress));
    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget.graphicsEffect()))
        effect->setOpacity(std::clamp(progress, 0.0, 1.0));
}

void run(QWidget& widget, const QRect& target, double smallScale, const QS::Motion::Animation& animation,
         double from, double to, std::function<void()> done) {
    delete runningOn(widget);
    const QS::Motion::Animation effective = QS::Motion::honouringReduceMotion(animation);
    if (effective.isInstant()) {
        widget.setGraphicsEffect(nullptr);
        widget.setGeometry(target);
        if (done)
            done();
        return;
    }
    auto* effect = new QGraphicsOpacityEffect(&widget);
    widget.setGraphicsEffect(effect);
    applyProgress(widget, target, smallScale, from);

    auto* progress = new QVariantAnimation(&widget);
    progress->setObjectName(QString::fromLatin1(kAnimationName));
    progress->setStartValue(from);
    progress->setEndValue(to);
    QS::Motion::configure(*progress, effective);
    QObject::connect(progress, &QVariantAnimation::valueChanged, &widget,
                     [&widget, target, smallScale](const QVariant& value) {
                         applyProgress(widget, target, smallScale, value.toDouble());
                     });
    QObject::connect(progress, &QVariantAnimation::finished, &widget,
                     [&widget, target, progress, done = std::move(done)] {
                         progress->deleteLater();
                         progress->setObjectName(QString());
                         widget.setGraphicsEffect(nullptr);
                         widget.setGeometry(target);
                         if (done)
                             done();
                     });
    progress->start();
}

} // namespace

QRect scaledAroundCentre(const QRect& target, double scale) {
    const QSizeF size = QSizeF(target.size()) * scale;
    const QPointF centre = QRectF(target).center();
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height())
        .toAlignedRect();
}

void appear(QWidget& widget, const QRect& target, double fromScale, const QS::Motion::Animation& animation) {
    widget.setAttribute(Qt::WA_TransparentForMouseEvents, false);
    widget.show();
    widget.raise();
    run(widget, target, fromScale, animation, 0.0, 1.0, {});
}

void disappear(QWidget& widget, const QRect& target, double toScale, const QS::Motion::Animation& animation,
               std::function<void()> done) {
    widget.setAttribute(Qt::WA_TransparentForMouseEvents, true);
    widget.clearFocus();
    run(widget, target, toScale, animation, 1.0, 0.0, [&widget, done = std::move(done)] {
        widget.hide();
        if (done)
            done();
    });
}

void fadeIn(QWidget& widget, const QS::Motion::Animation& animation) {
    delete runningOn(widget);
    const QS::Motion::Animation effective = QS::Motion::honouringReduceMotion(animation);
    if (effective.isInstant()) {
        widget.setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = new QGraphicsOpacityEffect(&widget);
    effect->setOpacity(0.0);
    widget.setGraphicsEffect(effect);
    auto* progress = new QVariantAnimation(&widget);
    progress->setObjectName(QString::fromLatin1(kAnimationName));
    progress->setStartValue(0.0);
    progress->setEndValue(1.0);
    QS::Motion::configure(*progress, effective);
    QObject::connect(progress, &QVariantAnimation::valueChanged, effect, [effect](const QVariant& value) {
        effect->setOpacity(std::clamp(value.toDouble(), 0.0, 1.0));
    });
    // The effect goes when the fade ends: text views draw sharper and faster without one.
    QObject::connect(progress, &QVariantAnimation::finished, &widget, [&widget, progress] {
        progress->deleteLater();
        progress->setObjectName(QString());
        widget.setGraphicsEffect(nullptr);
    });
    progress->start();
}

bool isRunning(const QWidget& widget) {
    return runningOn(widget) != nullptr;
}

} // namespace QS::Transition
