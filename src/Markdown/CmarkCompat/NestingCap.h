#pragma once

#include "CompatTables.h"

namespace Markdown::CmarkCompat {

// Folds every subtree that reaches depth kMaxNestingDepth into plain text, so that nothing downstream
// recurses without bound (no node ends up deeper than kMaxNestingDepth + 1): the outermost node that
// can be replaced (an inline, or a block whose parent takes paragraphs) becomes a text node, or a
// paragraph holding one, with the subtree's literal text and the subtree's position. Works without
// recursion.
void foldDeepNesting(CmarkDocument::Tables& tables);

} // namespace Markdown::CmarkCompat
