#pragma once
// Our document tree in the shape the cmark-gfm command prints, for comparison with it.

#include "GfmHarness/ComparableTree.h"

#include <Markdown/Markdown.h>

#include <string_view>

namespace Markdown::Testing {

// Each node with cmark's kind name and its range in cmark's convention (inclusive end); a table's head
// becomes its header row and its body's rows follow it directly. Code spans keep their full range (see
// matchCodeSpans).
ComparableNode comparableTreeFromDocument(const Markup& root);

// The command's tree as our conversion reads it: a position with a line or start column of 0 or less, or
// an end column below 0, or an end before its start, is no range at all.
void dropUnknownPositions(ComparableNode& node);

// Walks two trees of the same shape. Where `expected` has a code span covering its content only and
// `actual` the same span widened by the same number of columns b >= 1 on each side, gives the actual span
// the expected position and records (line, start column, end column, b) of the widened span so that the
// backtick runs can be checked against the source. Leaves any other difference for the comparison.
struct WidenedCodeSpan {
    int startLine;
    int startColumn; // first backtick
    int endLine;
    int lastColumn; // last backtick, inclusive
    int backtickCount;
};
void matchCodeSpans(const ComparableNode& expected, ComparableNode& actual,
                    std::vector<WidenedCodeSpan>& spans);

} // namespace Markdown::Testing
