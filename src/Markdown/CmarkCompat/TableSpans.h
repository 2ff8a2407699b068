#pragma once

#include "CompatTables.h"

#include <vector>

namespace Markdown::CmarkCompat {

// Records the column and row spans of every cell of `table`, from the stock table's cells (again, with
// the same result, when called twice):
// - a cell with nothing between its two pipes is covered by the nearest cell before it in its row,
//   which widens by one; with no such cell it stays an ordinary cell;
// - a body cell whose text is exactly "^" is covered by the nearest uncovered cell above it in its
//   column, which grows by one row, and loses its text; a "^" with nothing to extend (a header cell,
//   the first row, a filler cell above) stays an ordinary cell with its text.
// Filler cells that the stock table adds to short rows have no span data (1 x 1).
void recordTableCellSpans(CmarkDocument::Tables& tables, cmark_node* table);

} // namespace Markdown::CmarkCompat
