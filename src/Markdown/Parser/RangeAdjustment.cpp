#include "RangeAdjustment.h"

namespace Markdown {

void widen(SourceRange& range, const SourceRange& toFit) {
    SourceLocation start = toFit.start() < range.start() ? toFit.start() : range.start();
    SourceLocation end = range.end() > toFit.end() ? range.end() : toFit.end();
    range = SourceRange(std::move(start), std::move(end));
}

} // namespace Markdown
