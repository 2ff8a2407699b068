#include "WheelGuard.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QWheelEvent>
#include <QWidget>

namespace WheelGuard {

namespace {

// One filter for every guarded control, owned by the application.
class Filter final : public QObject {
public:
    using QObject::QObject;

    static Filter& instance() {
        static Filter* filter = new Filter(QCoreApplication::instance());
        return *filter;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel)
            return false;
        auto* control = qobject_cast<QWidget*>(watched);
        if (!control || control->hasFocus())
            return false;
        // The page the control sits on scrolls instead. The event is handed to it directly: Qt
        // passes a wheel event on to the parents only when it came from the window system.
        QAbstractScrollArea* page = nullptr;
        for (QWidget* parent = control->parentWidget(); parent && !page; parent = parent->parentWidget())
            page = qobject_cast<QAbstractScrollArea*>(parent);
        if (page) {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            QWheelEvent forwarded(page->viewport()->mapFromGlobal(wheel->globalPosition()),
                                  wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                                  wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted(),
                                  wheel->source(), wheel->pointingDevice());
            QCoreApplication::sendEvent(page->viewport(), &forwarded);
        }
        return true;
    }
};

constexpr char kGuardedProperty[] = "qsWheelGuarded";

} // namespace

void apply(QWidget& control) {
    if (isApplied(control))
        return;
    // A control with wheel focus would be focused by the very wheel event it should let pass.
    if ((control.focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
        control.setFocusPolicy(Qt::StrongFocus);
    control.installEventFilter(&Filter::instance());
    control.setProperty(kGuardedProperty, true);
}

bool isApplied(const QWidget& control) {
    return control.property(kGuardedProperty).toBool();
}

} // namespace WheelGuard
