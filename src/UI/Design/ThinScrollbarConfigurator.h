#pragma once

class QAbstractScrollArea;

// Gives a scrolling list the panel's scroll bars: never a horizontal one, and a thin, translucent
// vertical one without a groove, tinted for the list's colour scheme. Applying it again (after an
// appearance change) restyles the bar in place.
namespace ThinScrollbarConfigurator {

void apply(QAbstractScrollArea& scrollArea);

} // namespace ThinScrollbarConfigurator
