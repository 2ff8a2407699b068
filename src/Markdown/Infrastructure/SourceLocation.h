#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace Markdown {

/// The address of the file a text came from. Cheap to copy: locations in a parsed tree share one string.
class URL {
public:
    explicit URL(std::string string);

    const std::string& string() const { return *string_; }
    /// The path component, percent-decoded ("/a b.md" for "file:///a%20b.md"); empty when there is none.
    std::string path() const;

    friend bool operator==(const URL& a, const URL& b) {
        return a.string_ == b.string_ || a.string() == b.string();
    }
    std::size_t hash() const;

private:
    std::shared_ptr<const std::string> string_;
};

/// A position in source text: 1-based line, 1-based column counted in UTF-8 bytes.
class SourceLocation {
public:
    SourceLocation(std::int64_t line, std::int64_t column, std::optional<URL> source = std::nullopt)
        : line_(line), column_(column), source_(std::move(source)) {}

    std::int64_t line() const { return line_; }
    std::int64_t column() const { return column_; }
    const std::optional<URL>& source() const { return source_; }
    void setSource(std::optional<URL> source) { source_ = std::move(source); }

    /// "line:column", preceded by "path:" when the source has a non-empty path.
    std::string description() const;
    /// "line:column" alone.
    std::string lineColumnDescription() const;

    friend bool operator==(const SourceLocation& a, const SourceLocation& b) {
        return a.line_ == b.line_ && a.column_ == b.column_ && a.source_ == b.source_;
    }
    /// Orders by line, then column; the source takes no part (so locations of different files that share
    /// line and column are unordered yet unequal).
    friend bool operator<(const SourceLocation& a, const SourceLocation& b) {
        return a.line_ < b.line_ || (a.line_ == b.line_ && a.column_ < b.column_);
    }
    friend bool operator>(const SourceLocation& a, const SourceLocation& b) { return b < a; }
    friend bool operator<=(const SourceLocation& a, const SourceLocation& b) { return !(b < a); }
    friend bool operator>=(const SourceLocation& a, const SourceLocation& b) { return !(a < b); }

    std::size_t hash() const;

private:
    std::int64_t line_;
    std::int64_t column_;
    std::optional<URL> source_;
};

/// A half-open stretch of source text: `start` is the first position inside, `end` the first after it.
/// The start never lies after the end: constructing or moving a bound so that it would throws
/// std::invalid_argument and leaves the range as it was.
class SourceRange {
public:
    SourceRange(SourceLocation start, SourceLocation end);

    const SourceLocation& start() const { return start_; }
    const SourceLocation& end() const { return end_; }
    void setStart(SourceLocation start);
    void setEnd(SourceLocation end);

    /// "3:5-3:9"; the "-end" part only when the bounds differ. With `includePath`, the start's source path
    /// (when it has one) is printed once, in front: "/a.md:3:5-3:9".
    std::string diagnosticDescription(bool includePath) const;

    friend bool operator==(const SourceRange& a, const SourceRange& b) = default;

private:
    SourceLocation start_;
    SourceLocation end_;
};

/// A suggested edit: put `replacementText` in place of `range`.
struct Replacement {
    SourceRange range;
    std::string replacementText;

    /// "3:5-3:9: fixit: x".
    std::string description() const;
    std::string debugDescription() const { return description(); }

    friend bool operator==(const Replacement& a, const Replacement& b) = default;
};

} // namespace Markdown

template <> struct std::hash<Markdown::SourceLocation> {
    std::size_t operator()(const Markdown::SourceLocation& location) const { return location.hash(); }
};
