#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// JSON checked and laid out by its tokens, never through a document model: every number, string,
// escape and key stays exactly as written (a model would round big numbers to doubles, decode
// escapes and keep one of several equal keys). Both functions take time linear in the text and
// never recurse, so they are safe for any clipboard content (and long texts belong on a worker).
namespace JsonFormatter {

// Deeper nesting is refused, as the JSON reader of the platform refuses it.
constexpr int kMaxDepth = 1024;
// A layout longer than this many UTF-16 units is refused rather than built.
constexpr qsizetype kMaxFormattedLength = 64 * 1024 * 1024;

// Strict JSON (RFC 8259) with an object or an array at the top, white space (space, tab, line feed,
// carriage return) around and between the tokens.
bool isValid(QStringView text);

enum class Problem { none, notJSON, tooDeep, tooLarge };

struct Failure {
    Problem problem = Problem::none;
    // Where the text stops being JSON (for notJSON and tooDeep), counted from 1; a line ends at a
    // line feed and columns count UTF-16 units.
    qsizetype line = 0;
    qsizetype column = 0;
};

// The JSON of `text` (white space and newlines around it ignored) laid out with four spaces per
// level, one value per line, "key": value, and each object's members sorted by key (a stable sort of
// the keys' values, so equal keys keep their order). Nothing else changes. Nullopt, with the reason
// in `failure`, when the text is not such JSON or its layout would be too large.
std::optional<QString> format(QStringView text, Failure* failure = nullptr);

} // namespace JsonFormatter
