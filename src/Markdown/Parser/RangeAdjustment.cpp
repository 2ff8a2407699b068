#include "RangeAdjustment.h"

#include <cstdlib>

namespace Markdown {

void widen(SourceRange& range, const SourceRange& toFit) {
    SourceLocation start = toFit.start() < range.start() ? toFit.start() : range.start();
    SourceLocation end = range.end() > toFit.end() ? range.end() : toFit.end();
    range = SourceRange(std::move(start), std::move(end));
}

void RangeAdjuster::defaultVisit(const Markup& markup) {
    const RawMarkup& node = markup.data().node();
    if (const std::optional<SourceRange>& range = node.parsedRange()) {
        auto adjusted = [&](const SourceLocation& location) {
            const std::int64_t line = location.line();
            if (line < 1 || line > static_cast<std::int64_t>(trimmedIndentationPerLine.size())) {
                std::abort(); // cmark-gfm reports no line beyond the text it was given
            }
            return SourceLocation(line + startLine - 1,
                                  location.column() +
                                      trimmedIndentationPerLine[static_cast<std::size_t>(line - 1)],
                                  location.source());
        };
        SourceRange mapped(adjusted(range->start()), adjusted(range->end()));
        widen(ranges.totalRange, mapped);
        node.replaceParsedRangeOfUnsharedNode(std::move(mapped));
    }
    descendInto(markup);
}

} // namespace Markdown
