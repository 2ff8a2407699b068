#pragma once
// Source text cut into lines, and a small lexer that consumes one line from left to right while
// keeping exact positions. Lines and lexed pieces are views into the document text.
//
// Positions are 1-based lines and 1-based columns counted in UTF-8 bytes, carrying the document's
// source file.

#include "Markdown/Infrastructure/SourceLocation.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace Markdown {

// Splits `text` at every line break: U+000A to U+000D, U+0085, U+2028 and U+2029, with CR LF as one
// break. The breaks are not part of the lines. The last line runs to the end of the text even when
// it is empty, so an empty text is one empty line and a text ending with a break ends with one.
std::vector<std::string_view> splitLines(std::string_view text);

// One source line being consumed. Operations that consume nothing return nothing and leave the line
// unchanged; callers that must not disturb a line work on a copy.
class TrimmedLine {
public:
    struct Lex {
        std::string_view text;
        std::optional<SourceRange> range; // absent when the line has no number
        friend bool operator==(const Lex&, const Lex&) = default;
    };

    explicit TrimmedLine(std::string_view untrimmedText, std::optional<int> lineNumber = std::nullopt,
                         std::size_t parseIndex = 0, std::optional<URL> source = std::nullopt);

    std::string_view untrimmedText() const { return untrimmedText_; }
    // Byte offset into untrimmedText() where lexing resumes; only moves forward.
    std::size_t parseIndex() const { return parseIndex_; }
    std::string_view remaining() const { return untrimmedText_.substr(parseIndex_); }
    std::optional<int> lineNumber() const { return lineNumber_; }
    const std::optional<URL>& source() const { return source_; }

    // The position of parseIndex(), absent without a line number.
    std::optional<SourceLocation> location() const;

    // Consumes up to `count` characters. With `allowEmpty`, consuming nothing yields an empty piece
    // at the current position instead of nothing.
    std::optional<Lex> take(std::size_t count, bool allowEmpty = false);
    // Consumes leading spaces and tabs (at most `maxLength` of them when given).
    std::optional<Lex> lexWhitespace(std::optional<std::size_t> maxLength = std::nullopt);
    // Consumes everything before the first occurrence of `character` (one user-perceived character),
    // or all that remains when it does not occur.
    std::optional<Lex> lex(std::string_view untilCharacter);

    // The column width of the line's leading blanks, measured from the start of the line: a space
    // adds one, a tab moves to the next multiple of four.
    int indentationColumnCount() const;
    // Whether the remaining text, after blanks, starts with ``` or ~~~.
    bool isProbablyCodeFence() const;

    friend bool operator==(const TrimmedLine&, const TrimmedLine&) = default;

private:
    std::string_view untrimmedText_;
    std::size_t parseIndex_ = 0;
    std::optional<int> lineNumber_;
    std::optional<URL> source_;
};

// The lines of a text, numbered from 1, each carrying the text's source file. The whole text is split
// when the iterator is made; next() only hands out the prepared lines.
class LazySplitLines {
public:
    class Iterator {
    public:
        std::optional<TrimmedLine> next();

    private:
        friend class LazySplitLines;
        Iterator(std::vector<std::string_view> rawLines, std::optional<URL> source)
            : rawLines_(std::move(rawLines)), source_(std::move(source)) {}
        std::vector<std::string_view> rawLines_;
        std::size_t index_ = 0;
        std::optional<URL> source_;
    };

    explicit LazySplitLines(std::string_view input, std::optional<URL> source = std::nullopt)
        : input_(input), source_(std::move(source)) {}
    Iterator makeIterator() const { return Iterator(splitLines(input_), source_); }

private:
    std::string_view input_;
    std::optional<URL> source_;
};

} // namespace Markdown
