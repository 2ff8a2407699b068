#pragma once

#include <QStringList>

class QWidget;

namespace LiveRestyle {

// What tells `live`, a window that went through a live change (of the appearance or the language),
// from `fresh`, the same window built after the change: for every widget, shown or hidden, its
// colours, style sheet, text, icon and picture, then the pixels of the whole window. Empty when they
// look the same. Both must be built alike, so that their widgets pair up in creation order.
QStringList differences(QWidget& live, QWidget& fresh);

// The visible texts of `window` that their labels cut off: a wrapped text taller than its label, a
// single line wider than it. Empty when every text fits.
QStringList clippedTexts(QWidget& window);

} // namespace LiveRestyle
