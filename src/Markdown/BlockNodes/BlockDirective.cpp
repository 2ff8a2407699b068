#include "Markdown/BlockNodes/BlockDirective.h"

namespace Markdown {

namespace {

// The length in bytes of the line break starting at `position`, or 0. A line break is a user-perceived
// character whose first scalar is LF, VT, FF, CR, NEL, LINE SEPARATOR or PARAGRAPH SEPARATOR; CR LF is one.
std::size_t lineBreakLength(std::string_view text, std::size_t position) {
    const auto byte = [&](std::size_t offset) {
        return position + offset < text.size() ? static_cast<unsigned char>(text[position + offset]) : 0u;
    };
    switch (byte(0)) {
    case '\r':
        return byte(1) == '\n' ? 2 : 1;
    case '\n':
    case '\v':
    case '\f':
        return 1;
    case 0xC2:
        return byte(1) == 0x85 ? 2 : 0;
    case 0xE2:
        return byte(1) == 0x80 && (byte(2) == 0xA8 || byte(2) == 0xA9) ? 3 : 0;
    default:
        return 0;
    }
}

} // namespace

DirectiveArgumentText BlockDirective::argumentTextOfLines(std::string_view text) {
    std::vector<DirectiveArgumentText::LineSegment> segments;
    std::size_t lineStart = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        if (const std::size_t length = lineBreakLength(text, position)) {
            segments.emplace_back(std::string(text.substr(lineStart, position - lineStart)), 0);
            position += length;
            lineStart = position;
        } else {
            ++position;
        }
    }
    segments.emplace_back(std::string(text.substr(lineStart)), 0);
    return DirectiveArgumentText(std::move(segments));
}

std::optional<SourceRange> BlockDirective::nameRange() const {
    const std::optional<SourceLocation>& start = nameLocation();
    if (!start) {
        return std::nullopt;
    }
    return SourceRange(*start, SourceLocation(start->line(),
                                              start->column() + static_cast<std::int64_t>(name().size()),
                                              start->source()));
}

void BlockDirective::setName(std::string name) {
    rebuildWithPayload(RawMarkupData::blockDirective(std::move(name), std::nullopt, argumentText()));
}

void BlockDirective::setArgumentText(DirectiveArgumentText argumentText) {
    rebuildWithPayload(RawMarkupData::blockDirective(name(), std::nullopt, std::move(argumentText)));
}

} // namespace Markdown
