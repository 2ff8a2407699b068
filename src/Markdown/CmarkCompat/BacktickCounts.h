#pragma once

#include "CompatTables.h"

namespace Markdown::CmarkCompat {

// The length of the backtick run that opens and closes `code`, a code span. The first call for a
// span records the runs of every span in its paragraph, heading or table cell, which share that
// block's offset; later calls read the record.
//
// cmark-gfm reports a code span's position in the coordinates of its block's raw content: the line is
// counted from the block's first line and the column is the offset in that content line plus a
// constant block offset. Reading the source line at that position is wrong for lazy lines, indented
// continuation lines and paragraphs that followed reference definitions, so the run is read from the
// block's raw content instead, with the block offset recovered per block.
int backtickCountOf(CmarkDocument::Tables& tables, cmark_node* code);

} // namespace Markdown::CmarkCompat
