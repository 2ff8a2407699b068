#pragma once

#include "Color.h"

#include <functional>

class QWidget;

namespace QS::Color {

// Colours a widget keeps rather than reads at each paint (palette roles, style sheets, icons,
// pixmaps) are set by `restyle`: it runs now with the scheme the widget is drawn in, and again each
// time the application's appearance gives the widget another scheme, whether the widget is shown or
// hidden. The follower lives as long as the widget; a widget may have several.
void follow(QWidget& widget, std::function<void(Scheme)> restyle);

// The scheme `widget` is drawn in: that of its palette, or, where its own style sheet paints its
// background, that of the nearest widget around it without one.
Scheme drawnScheme(const QWidget& widget);

} // namespace QS::Color
