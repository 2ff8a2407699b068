#pragma once

#include <Platform/AppearanceProvider.h>

#include <QColor>

class QPalette;
class QWidget;

// The named colours of every Quillstack window. Fixed colours are exact sRGB values; the others
// follow the colour scheme, so hover and card tints adapt to light and dark by themselves.
namespace QS::Color {

using Scheme = Platform::ColorScheme;

// The scheme a widget is drawn in: the lightness of the palette the application gave it.
Scheme schemeOf(const QPalette& palette);
Scheme schemeOf(const QWidget& widget);

// `color` with its opacity multiplied by `opacity`.
QColor withOpacity(QColor color, qreal opacity);
// The colour `progress` (0...1) of the way from `from` to `to`, opacity included.
QColor mix(const QColor& from, const QColor& to, qreal progress);

QColor brand();
QColor brandSoft();

// The primary text colour, and the tints made from it.
QColor label(Scheme scheme);
QColor rowHover(Scheme scheme);
QColor cardFill(Scheme scheme);
QColor cardStroke(Scheme scheme);
QColor glassFill(Scheme scheme);
QColor secondaryText(Scheme scheme);
QColor tertiaryText(Scheme scheme);

QColor badgeCode();
QColor badgeURL();
QColor badgeImage();
QColor badgeSnippet();
QColor badgeFile(Scheme scheme);

// The desktop's accent hues, each a little brighter in dark mode.
enum class System { Blue, Green, Indigo, Orange, Pink, Purple, Red };
QColor system(System hue, Scheme scheme);

} // namespace QS::Color
