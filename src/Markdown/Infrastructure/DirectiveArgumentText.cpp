#include "Markdown/Infrastructure/DirectiveArgumentText.h"

#include "Markdown/Infrastructure/CanonicalEquivalence.h"

#include <algorithm>
#include <stdexcept>

namespace Markdown {

DirectiveArgumentText::LineSegment::LineSegment(std::string untrimmedText, std::size_t parseIndex,
                                                std::optional<SourceRange> range)
    : untrimmedText_(std::move(untrimmedText)), parseIndex_(parseIndex), range_(std::move(range)) {
    if (parseIndex_ > untrimmedText_.size()) {
        throw std::out_of_range("LineSegment: parse index " + std::to_string(parseIndex_) +
                                " lies beyond a line of " + std::to_string(untrimmedText_.size()) + " bytes");
    }
}

bool operator==(const DirectiveArgumentText::LineSegment& a, const DirectiveArgumentText::LineSegment& b) {
    return a.parseIndex_ == b.parseIndex_ && a.range_ == b.range_ &&
           canonicallyEqual(a.untrimmedText_, b.untrimmedText_);
}

DirectiveArgumentText::DirectiveArgumentText(std::string_view text) {
    segments.emplace_back(std::string(text), 0);
}

bool DirectiveArgumentText::isEmpty() const {
    return std::all_of(segments.begin(), segments.end(), [](const LineSegment& segment) {
        return segment.untrimmedText().find_first_not_of(" \t") == std::string::npos;
    });
}

} // namespace Markdown
