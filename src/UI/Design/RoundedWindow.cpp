#include "RoundedWindow.h"

#include <QEvent>
#include <QPainterPath>
#include <QWidget>

namespace RoundedWindow {

namespace {

// Keeps an opaque window's mask to its size.
class MaskFollower : public QObject {
public:
    MaskFollower(QWidget& window, qreal cornerRadius) : QObject(&window), m_cornerRadius(cornerRadius) {
        window.installEventFilter(this);
        window.setMask(roundedRegion(window.size(), cornerRadius));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            auto* window = static_cast<QWidget*>(watched);
            window->setMask(roundedRegion(window->size(), m_cornerRadius));
        }
        return false;
    }

private:
    qreal m_cornerRadius;
};

} // namespace

void apply(QWidget& window, qreal cornerRadius, bool composited) {
    if (composited) {
        window.setAttribute(Qt::WA_TranslucentBackground);
        return;
    }
    window.setAttribute(Qt::WA_TranslucentBackground, false);
    new MaskFollower(window, cornerRadius);
}

QRegion roundedRegion(const QSize& size, qreal cornerRadius) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), cornerRadius, cornerRadius);
    return QRegion(shape.toFillPolygon().toPolygon());
}

} // namespace RoundedWindow
