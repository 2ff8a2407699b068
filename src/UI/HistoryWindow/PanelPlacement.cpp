#include "PanelPlacement.h"

namespace PanelPlacement {

namespace {

std::optional<Screen> pointerScreen(QPoint pointer, const QList<Screen>& screens,
                                    const std::optional<Screen>& primary) {
    for (const Screen& screen : screens) {
        if (screen.frame.contains(pointer))
            return screen;
    }
    return primary;
}

QRect devicePixelFrame(const Screen& screen) {
    const QSizeF size = QSizeF(screen.frame.size()) * screen.devicePixelRatio;
    return QRect(screen.frame.topLeft(), QSize(qRound(size.width()), qRound(size.height())));
}

} // namespace

QRect fromDevicePixels(const QRect& rect, const QList<Screen>& screens) {
    const Screen* chosen = nullptr;
    for (const Screen& screen : screens) {
        if (devicePixelFrame(screen).contains(rect.center())) {
            chosen = &screen;
            break;
        }
    }
    for (qsizetype i = 0; !chosen && i < screens.size(); ++i) {
        if (devicePixelFrame(screens[i]).intersects(rect.adjusted(-1, -1, 1, 1)))
            chosen = &screens[i];
    }
    if (!chosen && !screens.isEmpty())
        chosen = &screens.first();
    if (!chosen || chosen->devicePixelRatio <= 0)
        return rect;
    // Qt keeps each screen's top-left corner and scales what lies beyond it.
    const QPointF origin = chosen->frame.topLeft();
    const qreal ratio = chosen->devicePixelRatio;
    const QPointF topLeft = origin + (QPointF(rect.topLeft()) - origin) / ratio;
    return QRect(QPoint(qRound(topLeft.x()), qRound(topLeft.y())),
                 QSize(qRound(rect.width() / ratio), qRound(rect.height() / ratio)));
}

std::optional<QPoint> place(QSize panel, QPoint pointer, const QString& mode,
                            const std::optional<QRect>& inputFrame, const QList<Screen>& screens,
                            const std::optional<Screen>& primary) {
    const int w = panel.width();
    const int h = panel.height();
    const std::optional<Screen> underPointer = pointerScreen(pointer, screens, primary);

    if (mode == QLatin1String("center")) {
        if (!underPointer)
            return std::nullopt;
        const QRect v = underPointer->available;
        return QPoint(v.left() + (v.width() - w) / 2, v.top() + (v.height() - h) / 2);
    }

    // A zero-size anchor at the pointer, unless "input" found the focused field.
    const QRect anchor =
        mode == QLatin1String("input") && inputFrame ? *inputFrame : QRect(pointer, QSize(0, 0));
    std::optional<Screen> anchorScreen;
    const QRect grown = anchor.adjusted(-1, -1, 1, 1);
    for (const Screen& screen : screens) {
        if (screen.frame.intersects(grown)) {
            anchorScreen = screen;
            break;
        }
    }
    if (!anchorScreen)
        anchorScreen = underPointer;
    if (!anchorScreen)
        return std::nullopt;
    const QRect v = anchorScreen->available;

    // Integer rectangles: the anchor's bottom edge lies at y + height.
    const int anchorTop = anchor.y();
    const int anchorBottom = anchor.y() + anchor.height();
    const int anchorMidX = anchor.x() + anchor.width() / 2;
    int x = anchorMidX - w / 2;
    int y = anchorTop - kGap - h;
    if (y < v.top())
        y = anchorBottom + kGap;
    // When the panel does not fit between the margins, its right edge and its top edge stay on the
    // screen: the right bound is applied last across, the top bound last down.
    const int right = v.x() + v.width();
    const int bottom = v.y() + v.height();
    x = std::min(std::max(x, v.left() + kMargin), right - w - kMargin);
    y = std::max(std::min(y, bottom - h - kMargin), v.top() + kMargin);
    return QPoint(x, y);
}

} // namespace PanelPlacement
