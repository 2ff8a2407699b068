#pragma once
// One walk over a parsed tree that finds what the layer's passes after the parse work on.

#include "CompatTables.h"

#include <functional>
#include <vector>

namespace Markdown::CmarkCompat {

struct TreeSurvey {
    // The outermost replaceable nodes of the subtrees that reach kMaxNestingDepth.
    std::vector<cmark_node*> tooDeep;
};

// Walks the blocks only, unless some paragraph, heading or table cell may hold inlines deep enough to
// reach kMaxNestingDepth; then the whole tree. `eachTable` is called for each table as the walk
// reaches it (while its rows are at hand), possibly twice for a table when the walk starts over.
TreeSurvey surveyTree(cmark_node* root, const std::function<void(cmark_node*)>& eachTable);

// Leaves are reported by cmark's iterator with an enter event only.
bool getsNoExitEvent(cmark_node* node);
// The same for a node of type `type`.
bool isLeafType(cmark_node_type type);

// Whether `node` is a paragraph, a heading or a table cell: a block whose children are inlines.
bool holdsInlines(cmark_node* node);

} // namespace Markdown::CmarkCompat
