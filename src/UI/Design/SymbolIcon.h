#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// Our own line icons, one SVG per symbol name ("doc.on.clipboard", "pin.fill"...) in the icons
// folder of the resources. The drawings are monochrome; the colour is given when they are drawn,
// so one file serves light and dark and every tint the windows use.
namespace SymbolIcon {

// The folder the drawings are read from.
QString directory();
QString filePath(const QString& name);
bool exists(const QString& name);

// The symbol in `color`, `size` device-independent pixels square, rendered for `devicePixelRatio`.
// Null when there is no drawing of that name.
QPixmap pixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio = 1.0);

// An icon that draws the symbol in `color` at whatever size it is asked for; disabled, at a
// third of the colour's opacity.
QIcon icon(const QString& name, const QColor& color);

} // namespace SymbolIcon
