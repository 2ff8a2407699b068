#pragma once

#include <Qt>

class QAbstractScrollArea;

// Gives a scrolling list the panel's scroll bars: thin and translucent, without a groove, tinted for
// the list's colour scheme; a vertical one, and a horizontal one only where asked for. Applying it
// again (after an appearance change) restyles the bars in place.
namespace ThinScrollbarConfigurator {

void apply(QAbstractScrollArea& scrollArea, Qt::Orientations orientations = Qt::Vertical);

} // namespace ThinScrollbarConfigurator
