#include "RangeAdjustment.h"

namespace Markdown {

void widen(SourceRange& range, const SourceRange& toFit) {
    SourceLocation start = toFit.start() < range.start() ? toFit.start() : range.start();
    SourceLocation end = range.end() > toFit.end() ? range.end() : toFit.end();
    range = SourceRange(std::move(start), std::move(end));
}

void RangeAdjuster::defaultVisit(const Markup& markup) {
    const RawMarkup& node = markup.data().node();
    if (const std::optional<SourceRange>& range = node.parsedRange()) {
        // cmark-gfm reports no line outside the text it was given; should it ever, the bound is moved
        // without a cut rather than read outside the cuts.
        auto adjusted = [&](const SourceLocation& location) {
            const std::int64_t line = location.line();
            const bool known =
                line >= 1 && line <= static_cast<std::int64_t>(trimmedIndentationPerLine.size());
            const std::int64_t cut =
                known ? trimmedIndentationPerLine[static_cast<std::size_t>(line - 1)] : 0;
            return SourceLocation(line + startLine - 1, location.column() + cut, location.source());
        };
        SourceLocation start = adjusted(range->start());
        SourceLocation end = adjusted(range->end());
        if (end < start) {
            end = start;
        }
        SourceRange mapped(std::move(start), std::move(end));
        widen(ranges.totalRange, mapped);
        node.replaceParsedRangeOfUnsharedNode(std::move(mapped));
    }
    descendInto(markup);
}

} // namespace Markdown
