#pragma once
// Moving the ranges of a re-parsed fragment into the coordinates of the whole text. The block-directive
// path parses each plain run of lines on its own, after cutting its enclosing directive's indentation
// from each line; its ranges then count lines from the run's first line and columns from the cut. The
// conversion of the fragment's tree places every range as it makes the node, so no second pass over
// the tree is needed.

#include "Markdown/Infrastructure/SourceLocation.h"

#include <cstdint>
#include <span>

namespace Markdown {

/// Grows `range` to cover `toFit`: the smaller start and the larger end (by line, then column; the source
/// takes no part). On equal bounds `range` keeps its start and takes `toFit`'s end.
void widen(SourceRange& range, const SourceRange& toFit);

/// The smallest range covering every range met so far.
struct RangeTracker {
    SourceRange totalRange;
};

/// Where a fragment's ranges belong in the whole text: line l, column c of the fragment is line
/// l + startLine - 1, column c + cutPerLine[l - 1] there, each bound with the cut of its own line (a line
/// outside the list moves without a cut). Lines keep their order and both bounds on one line take the same
/// cut, so a placed range never ends before it starts. `covered` is widened by every placed range except the
/// fragment document's own.
struct FragmentPlacement {
    std::int64_t startLine;
    std::span<const std::int64_t> cutPerLine;
    RangeTracker& covered;

    /// Moves one bound, given as line and column of the fragment.
    void place(std::int64_t& line, std::int64_t& column) const {
        const bool known = line >= 1 && line <= static_cast<std::int64_t>(cutPerLine.size());
        column += known ? cutPerLine[static_cast<std::size_t>(line - 1)] : 0;
        line += startLine - 1;
    }
};

} // namespace Markdown
