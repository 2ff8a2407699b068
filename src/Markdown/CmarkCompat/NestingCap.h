#pragma once

#include "CompatTables.h"

#include <vector>

namespace Markdown::CmarkCompat {

// Folds each of `subtrees` (the survey's too-deep subtrees) into plain text, so that nothing
// downstream recurses without bound (no node ends up deeper than kMaxNestingDepth + 1): an inline
// becomes a text node, a block a paragraph holding one, with the subtree's literal text and the
// subtree's position. Works without recursion.
void foldIntoPlainText(CmarkDocument::Tables& tables, const std::vector<cmark_node*>& subtrees);

} // namespace Markdown::CmarkCompat
