#pragma once

#include <Qt>

class QAbstractScrollArea;

// Gives a scrolling list the panel's scroll bars: thin and translucent, without a groove, tinted for
// the list's colour scheme, which they follow when the appearance changes; a vertical one, and a
// horizontal one only where asked for. Applying it again changes the orientations.
namespace ThinScrollbarConfigurator {

void apply(QAbstractScrollArea& scrollArea, Qt::Orientations orientations = Qt::Vertical);

} // namespace ThinScrollbarConfigurator
