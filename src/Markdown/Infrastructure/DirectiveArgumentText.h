#pragma once

#include "Markdown/Infrastructure/SourceLocation.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Markdown {

struct DirectiveArgument;

/// The unparsed text between a block directive's parentheses, one segment per source line.
class DirectiveArgumentText {
public:
    /// A problem found while parsing the arguments; defined with the parser (Markdown/Parser/Parser.h).
    class ParseError;

    /// One line of argument text. `untrimmedText` is the source line from its first column up to the end of
    /// this line's share of the argument text; `parseIndex` is the byte offset in it where the arguments
    /// begin; `range` is where that text stands in the source (absent for text built from a plain string).
    class LineSegment {
    public:
        /// Throws std::out_of_range when `parseIndex` lies beyond the end of `untrimmedText`.
        LineSegment(std::string untrimmedText, std::size_t parseIndex, std::optional<SourceRange> range = {});

        const std::string& untrimmedText() const { return untrimmedText_; }
        std::size_t parseIndex() const { return parseIndex_; }
        const std::optional<SourceRange>& range() const { return range_; }
        /// The text from `parseIndex` to the end.
        std::string_view trimmedText() const { return std::string_view(untrimmedText_).substr(parseIndex_); }
        /// Where `untrimmedText` starts: always 0.
        std::size_t lineStartIndex() const { return 0; }

        /// Texts compare under canonical equivalence, `parseIndex` by position.
        friend bool operator==(const LineSegment& a, const LineSegment& b);

    private:
        std::string untrimmedText_;
        std::size_t parseIndex_;
        std::optional<SourceRange> range_;
    };

    DirectiveArgumentText() = default;
    /// One segment holding the whole text (line breaks included), parsed from its start, with no range.
    explicit DirectiveArgumentText(std::string_view text);
    explicit DirectiveArgumentText(std::vector<LineSegment> segments) : segments(std::move(segments)) {}

    /// True when every segment's whole `untrimmedText` is only spaces and tabs (and for no segments).
    bool isEmpty() const;

    /// The comma-separated `name: value` arguments of the text, parsed on each call; appends the problems
    /// found to `parseErrors`. Defined with the parser (include Markdown/Parser/Parser.h to call these).
    std::vector<DirectiveArgument> parseNameValueArguments(std::vector<ParseError>& parseErrors) const;
    std::vector<DirectiveArgument> parseNameValueArguments() const;

    friend bool operator==(const DirectiveArgumentText& a, const DirectiveArgumentText& b) = default;

    std::vector<LineSegment> segments;
};

} // namespace Markdown
