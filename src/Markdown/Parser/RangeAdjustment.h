#pragma once
// Moving the ranges of a re-parsed fragment into the coordinates of the whole text. The block-directive
// path parses each plain run of lines on its own, after cutting its enclosing directive's indentation
// from each line; its ranges then count lines from the run's first line and columns from the cut.

#include "Markdown/Infrastructure/SourceLocation.h"
#include "Markdown/Walker/MarkupWalker.h"

#include <cstdint>
#include <vector>

namespace Markdown {

/// Grows `range` to cover `toFit`: the smaller start and the larger end (by line, then column; the source
/// takes no part). On equal bounds `range` keeps its start and takes `toFit`'s end.
void widen(SourceRange& range, const SourceRange& toFit);

/// The smallest range covering every range met so far.
struct RangeTracker {
    SourceRange totalRange;
};

/// Rewrites, in place, the range of every node of a freshly parsed fragment it walks (the node handed to
/// it included): line l, column c becomes line l + startLine - 1, column c + trimmedIndentationPerLine[l -
/// 1], each bound with the cut of its own line. Widens `ranges` by every rewritten range. Only for trees the
/// parser has just built and shares with nobody.
struct RangeAdjuster : MarkupWalker<RangeAdjuster> {
    RangeAdjuster(std::int64_t startLine, RangeTracker ranges,
                  std::vector<std::int64_t> trimmedIndentationPerLine)
        : startLine(startLine), ranges(std::move(ranges)),
          trimmedIndentationPerLine(std::move(trimmedIndentationPerLine)) {}

    void defaultVisit(const Markup& markup);

    std::int64_t startLine;
    RangeTracker ranges;
    std::vector<std::int64_t> trimmedIndentationPerLine;
};

} // namespace Markdown
