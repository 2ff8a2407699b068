#include "LineSplitting.h"

#include "Graphemes.h"

#include <utility>

namespace Markdown {

namespace {

// The length of the line break at `i`, or 0 when none starts there.
std::size_t lineBreakLength(std::string_view text, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
        return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    }
    if (c >= 0x0A && c <= 0x0C) {
        return 1;
    }
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x85) {
        return 2; // U+0085
    }
    if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
        (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
         static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
        return 3; // U+2028, U+2029
    }
    return 0;
}

bool isBlank(std::string_view character) {
    return character == " " || character == "\t";
}

} // namespace

// Line breaks are control characters, which always stand alone as user-perceived characters (only
// CR LF joins), so scanning scalars finds the same breaks as walking characters.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t breakLength = lineBreakLength(text, i);
        if (breakLength == 0) {
            ++i;
            continue;
        }
        lines.push_back(text.substr(lineStart, i - lineStart));
        i += breakLength;
        lineStart = i;
    }
    lines.push_back(text.substr(lineStart));
    return lines;
}

TrimmedLine::TrimmedLine(std::string_view untrimmedText, std::optional<int> lineNumber,
                         std::size_t parseIndex, std::optional<URL> source)
    : untrimmedText_(untrimmedText), parseIndex_(std::min(parseIndex, untrimmedText.size())),
      lineNumber_(lineNumber), source_(std::move(source)) {}

std::optional<SourceLocation> TrimmedLine::location() const {
    if (!lineNumber_) {
        return std::nullopt;
    }
    return SourceLocation(*lineNumber_, static_cast<std::int64_t>(parseIndex_) + 1, source_);
}

std::optional<TrimmedLine::Lex> TrimmedLine::take(std::size_t count, bool allowEmpty) {
    if (count < 1 && !allowEmpty) {
        return std::nullopt;
    }
    std::size_t taken = 0;
    const std::size_t length = Graphemes::prefixLength(remaining(), count, taken);
    if (length == 0 && !allowEmpty) {
        return std::nullopt;
    }
    std::optional<SourceLocation> start = location();
    const std::size_t oldIndex = parseIndex_;
    parseIndex_ += length;
    std::optional<SourceLocation> end = location();
    Lex lex{untrimmedText_.substr(oldIndex, length), std::nullopt};
    if (start && end) {
        lex.range = SourceRange(std::move(*start), std::move(*end));
    }
    return lex;
}

std::optional<TrimmedLine::Lex> TrimmedLine::lexWhitespace(std::optional<std::size_t> maxLength) {
    const std::string_view rest = remaining();
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < rest.size() && (!maxLength || count < *maxLength);) {
        const std::size_t next = Graphemes::nextBoundary(rest, offset);
        if (!isBlank(rest.substr(offset, next - offset))) {
            break;
        }
        ++count;
        offset = next;
    }
    return count >= 1 ? take(count) : std::nullopt;
}

std::optional<TrimmedLine::Lex> TrimmedLine::lex(std::string_view untilCharacter) {
    const std::string_view rest = remaining();
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < rest.size();) {
        const std::size_t next = Graphemes::nextBoundary(rest, offset);
        if (rest.substr(offset, next - offset) == untilCharacter) {
            break;
        }
        ++count;
        offset = next;
    }
    return count > 0 ? take(count) : std::nullopt;
}

int TrimmedLine::indentationColumnCount() const {
    int columns = 0;
    for (char c : untrimmedText_) {
        if (c == ' ') {
            ++columns;
        } else if (c == '\t') {
            columns = (columns + 4) / 4 * 4;
        } else {
            break;
        }
    }
    return columns;
}

bool TrimmedLine::isProbablyCodeFence() const {
    TrimmedLine copy = *this;
    copy.lexWhitespace();
    const std::string_view rest = copy.remaining();
    return rest.starts_with("```") || rest.starts_with("~~~");
}

std::optional<TrimmedLine> LazySplitLines::Iterator::next() {
    if (index_ == rawLines_.size()) {
        return std::nullopt;
    }
    const std::size_t number = ++index_;
    return TrimmedLine(rawLines_[number - 1], static_cast<int>(number), 0, source_);
}

} // namespace Markdown
