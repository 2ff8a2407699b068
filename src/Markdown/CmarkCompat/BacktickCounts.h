#pragma once

#include "TreeSurvey.h"

namespace Markdown::CmarkCompat {

// Records the opening backtick run length of every code span the survey found.
//
// cmark-gfm reports a code span's position in the coordinates of its block's raw content: the line is
// counted from the block's first line and the column is the offset in that content line plus a
// constant block offset. Reading the source line at that position is wrong for lazy lines, indented
// continuation lines and paragraphs that followed reference definitions, so the run is read from the
// block's raw content instead, with the block offset recovered per block.
void recordBacktickCounts(CmarkDocument::Tables& tables, const TreeSurvey& survey);

} // namespace Markdown::CmarkCompat
