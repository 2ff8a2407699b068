#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

// Line and white-space rules shared by titles, detectors and transforms.
namespace TextLines {

// U+000A to U+000D, U+0085, U+2028 and U+2029: each one ends a line on its own, so a CR LF pair
// leaves an empty line between its two characters.
constexpr bool isNewline(char16_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Spaces and tabs: the space separators (no-break space included) and U+0009.
inline bool isHorizontalSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

// The text split at every newline character, empty lines kept.
QList<QStringView> split(QStringView text);

// `line` without spaces and tabs at either end.
QStringView trimHorizontal(QStringView line);

// `text` without white space and newlines at either end.
QStringView trimAll(QStringView text);

// The number of characters as the user sees them (extended grapheme clusters).
qsizetype characterCount(QStringView text);

} // namespace TextLines
