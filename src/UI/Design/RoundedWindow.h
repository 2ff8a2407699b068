#pragma once

#include <QRegion>

class QWidget;

// A frameless window drawn as a card with rounded corners. Where a compositing manager blends
// translucent windows with the desktop, the window is translucent and the desktop shows through
// its corners. Without one, transparent pixels show black: the window is then opaque, filled with
// its palette's window colour, and cut to the rounded card by a shape mask that follows its size.
namespace RoundedWindow {

// For a frameless window, before it is first shown: the choice of a translucent window cannot change later.
void apply(QWidget& window, qreal cornerRadius, bool composited);

// The rounded rectangle of `size` as a region, for a window's shape.
QRegion roundedRegion(const QSize& size, qreal cornerRadius);

} // namespace RoundedWindow
