#pragma once
// One walk over a parsed tree that finds everything the layer's passes work on.

#include "CompatTables.h"

#include <vector>

namespace Markdown::CmarkCompat {

struct TreeSurvey {
    // Paragraphs, headings and table cells holding code spans, with their spans in document order:
    // the spans of blocks[i] are codeSpans[codeStart[i]] up to codeSpans[codeStart[i + 1]].
    std::vector<cmark_node*> blocks;
    std::vector<std::size_t> codeStart;
    std::vector<cmark_node*> codeSpans;
    std::vector<cmark_node*> tables;
    // The outermost replaceable nodes of the subtrees that reach kMaxNestingDepth.
    std::vector<cmark_node*> tooDeep;
};

TreeSurvey surveyTree(cmark_node* root);

// Leaves are reported by cmark's iterator with an enter event only.
bool getsNoExitEvent(cmark_node* node);

} // namespace Markdown::CmarkCompat
