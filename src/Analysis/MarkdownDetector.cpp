#include "MarkdownDetector.h"

#include "TextLines.h"

#include <QTextBoundaryFinder>

#include <vector>

namespace MarkdownDetector {

namespace {

// White space as the pattern class \s knows it.
bool isSpace(QChar c) {
    return c.isSpace();
}

// Whether `line` at `from` holds one or more white-space characters followed by a non-space
// character (the pattern "\s+\S").
bool spacesThenText(QStringView line, qsizetype from) {
    if (from >= line.size() || !isSpace(line[from]))
        return false;
    while (from < line.size() && isSpace(line[from]))
        ++from;
    return from < line.size();
}

qsizetype runLength(QStringView line, qsizetype from, QChar c) {
    qsizetype end = from;
    while (end < line.size() && line[end] == c)
        ++end;
    return end - from;
}

// "^#{1,6}\s+\S"
bool isHeading(QStringView line) {
    const qsizetype hashes = runLength(line, 0, u'#');
    return hashes >= 1 && hashes <= 6 && spacesThenText(line, hashes);
}

bool isBullet(QChar c) {
    return c == u'-' || c == u'*' || c == u'+';
}

// "^([-*+]|\d+\.)\s+\S"
bool isListItem(QStringView line) {
    if (line.isEmpty())
        return false;
    if (isBullet(line[0]))
        return spacesThenText(line, 1);
    qsizetype digits = 0;
    while (digits < line.size() && line[digits].isDigit())
        ++digits;
    return digits > 0 && digits < line.size() && line[digits] == u'.' && spacesThenText(line, digits + 1);
}

// "^[-*+]\s+\[[ xX]\]\s"
bool isTaskItem(QStringView line) {
    if (line.isEmpty() || !isBullet(line[0]))
        return false;
    qsizetype i = 1;
    if (i >= line.size() || !isSpace(line[i]))
        return false;
    while (i < line.size() && isSpace(line[i]))
        ++i;
    if (line.size() - i < 4 || line[i] != u'[')
        return false;
    const QChar mark = line[i + 1];
    return (mark == u' ' || mark == u'x' || mark == u'X') && line[i + 2] == u']' && isSpace(line[i + 3]);
}

// "^\|(.+\|)+": a second bar after at least one character, with no line terminator before it.
bool isTableRow(QStringView line) {
    if (line.isEmpty() || line[0] != u'|')
        return false;
    for (qsizetype i = 1; i < line.size(); ++i) {
        if (TextLines::isNewline(line[i].unicode()))
            return false;
        if (line[i] == u'|' && i >= 2)
            return true;
    }
    return false;
}

// "^:?-{3,}:?(\s*\|?\s*:?-{3,}:?)+$": cells of three or more hyphens, each with an optional colon
// on either side, at least two of them, separated by white space with at most one bar (or by
// nothing, so that a run of six hyphens is already two cells).
bool isTableDelimiterRow(QStringView line) {
    qsizetype i = 0;
    const qsizetype n = line.size();
    qsizetype maxCells = 0;
    bool expectCells = true;
    while (i < n) {
        if (expectCells) {
            // A chunk of colons and hyphens: c0 D1 c1 D2 ... Dk ck with at most one colon at each
            // end, one or two between the hyphen runs, and every run three hyphens or longer.
            qsizetype colons = 0;
            qsizetype runs = 0;
            bool leading = true;
            while (i < n && (line[i] == u':' || line[i] == u'-')) {
                if (line[i] == u':') {
                    ++colons;
                    if ((leading && colons > 1) || colons > 2)
                        return false;
                    ++i;
                    continue;
                }
                const qsizetype dashes = runLength(line, i, u'-');
                if (dashes < 3)
                    return false;
                maxCells += dashes / 3;
                ++runs;
                i += dashes;
                colons = 0;
                leading = false;
            }
            if (runs == 0 || colons > 1)
                return false;
            expectCells = false;
        } else {
            qsizetype bars = 0;
            const qsizetype start = i;
            while (i < n && (isSpace(line[i]) || line[i] == u'|')) {
                if (line[i] == u'|' && ++bars > 1)
                    return false;
                ++i;
            }
            if (i == start || i == n)
                return false;
            expectCells = true;
        }
    }
    return !expectCells && maxCells >= 2;
}

// "^(-{3,}|\*{3,}|_{3,})$"
bool isThematicBreak(QStringView line) {
    if (line.size() < 3)
        return false;
    const QChar c = line[0];
    if (c != u'-' && c != u'*' && c != u'_')
        return false;
    return runLength(line, 0, c) == line.size();
}

int lineScore(QStringView line) {
    int score = 0;
    if (isHeading(line))
        score += 3;
    if (isListItem(line))
        score += 2;
    if (isTaskItem(line))
        score += 3;
    if (line.startsWith(u"> ") || line == u">")
        score += 2;
    if (line.startsWith(u"```") || line.startsWith(u"~~~"))
        score += 4;
    if (isTableRow(line))
        score += 2;
    if (isTableDelimiterRow(line))
        score += 3;
    if (isThematicBreak(line))
        score += 1;
    return score;
}

// For every position, the index of the next occurrence of `c` at or after it (size when none).
std::vector<qsizetype> nextIndexOf(QStringView text, QChar c) {
    std::vector<qsizetype> next(static_cast<size_t>(text.size()) + 1);
    qsizetype found = text.size();
    for (qsizetype i = text.size(); i >= 0; --i) {
        if (i < text.size() && text[i] == c)
            found = i;
        next[static_cast<size_t>(i)] = found;
    }
    return next;
}

// "\[[^\]]+\]\([^)]+\)" and, with `image`, "!\[[^\]]*\]\([^)]+\)".
bool hasLink(QStringView text, const std::vector<qsizetype>& nextClose,
             const std::vector<qsizetype>& nextParen, bool image) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != u'[' || (image && (i == 0 || text[i - 1] != u'!')))
            continue;
        const qsizetype close = nextClose[static_cast<size_t>(i + 1)];
        if (close >= n || (!image && close < i + 2))
            continue;
        if (close + 1 >= n || text[close + 1] != u'(')
            continue;
        const qsizetype paren = nextParen[static_cast<size_t>(close + 2)];
        if (paren < n && paren >= close + 3)
            return true;
    }
    return false;
}

// "`[^`\n]+`"
bool hasInlineCode(QStringView text) {
    qsizetype previous = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            previous = -1;
        } else if (text[i] == u'`') {
            if (previous >= 0 && i - previous >= 2)
                return true;
            previous = i;
        }
    }
    return false;
}

// "(\*\*|__).+?\1": two occurrences of the same delimiter on one line with a character between.
bool hasStrongEmphasis(QStringView text) {
    for (QChar marker : {QChar(u'*'), QChar(u'_')}) {
        qsizetype first = -1;
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            if (TextLines::isNewline(text[i].unicode())) {
                first = -1;
            } else if (text[i] == marker && text[i + 1] == marker) {
                if (first < 0)
                    first = i;
                else if (i >= first + 3)
                    return true;
            }
        }
    }
    return false;
}

// "(^|\s)(\*|_)[^*\n]+?\2(\s|$|[.,;:!?])"; `atEnd` tells whether the text ends where the clip ends.
bool hasEmphasis(QStringView text, bool atEnd) {
    const qsizetype n = text.size();
    auto closesWell = [&](qsizetype k) {
        if (k + 1 == n)
            return atEnd;
        const QChar after = text[k + 1];
        return isSpace(after) || QStringView(u".,;:!?").contains(after);
    };
    // Content runs to the next '*' or '\n'; find, for each position, the next closing candidate.
    std::vector<qsizetype> nextStop(static_cast<size_t>(n) + 1);
    std::vector<qsizetype> nextGoodUnderscore(static_cast<size_t>(n) + 1);
    qsizetype stop = n;
    qsizetype good = n;
    for (qsizetype i = n; i >= 0; --i) {
        if (i < n) {
            if (text[i] == u'*' || text[i] == u'\n')
                stop = i;
            if (text[i] == u'_' && closesWell(i))
                good = i;
        }
        nextStop[static_cast<size_t>(i)] = stop;
        nextGoodUnderscore[static_cast<size_t>(i)] = good;
    }
    for (qsizetype i = 0; i + 2 < n; ++i) {
        if (i > 0 && !isSpace(text[i - 1]))
            continue;
        const QChar marker = text[i];
        if (marker == u'*') {
            const qsizetype close = nextStop[static_cast<size_t>(i + 1)];
            if (close < n && close >= i + 2 && text[close] == u'*' && closesWell(close))
                return true;
        } else if (marker == u'_') {
            const qsizetype limit = nextStop[static_cast<size_t>(i + 1)];
            const qsizetype close = nextGoodUnderscore[static_cast<size_t>(i + 2)];
            if (close < limit)
                return true;
        }
    }
    return false;
}

int wholeTextScore(QStringView text, bool atEnd) {
    const std::vector<qsizetype> nextClose = nextIndexOf(text, u']');
    const std::vector<qsizetype> nextParen = nextIndexOf(text, u')');
    int score = 0;
    if (hasLink(text, nextClose, nextParen, false))
        score += 3;
    if (hasLink(text, nextClose, nextParen, true))
        score += 3;
    if (text.contains(u"```") || text.contains(u"~~~"))
        score += 3;
    if (hasInlineCode(text))
        score += 1;
    if (hasStrongEmphasis(text))
        score += 1;
    if (hasEmphasis(text, atEnd))
        score += 1;
    return score;
}

bool hasAtLeastThreeCharacters(QStringView text) {
    if (text.size() < 3)
        return false;
    // Three clusters fit in far fewer units than this; a longer prefix is never looked at.
    constexpr qsizetype kPrefix = 4096;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), qMin(text.size(), kPrefix));
    int count = 0;
    while (count < 3 && finder.toNextBoundary() != -1)
        ++count;
    return count >= 3 || text.size() > kPrefix;
}

} // namespace

bool isMarkdownLanguage(const std::optional<QString>& language) {
    if (!language)
        return false;
    const QString lower = language->toLower();
    return lower == u"markdown" || lower == u"md" || lower == u"gfm" || lower == u"mkd";
}

bool looksLikeMarkdown(QStringView text) {
    const QStringView trimmed = TextLines::trimAll(text);
    if (!hasAtLeastThreeCharacters(trimmed))
        return false;

    int score = 0;
    qsizetype start = 0;
    for (int lineNumber = 0; lineNumber < 120 && start <= trimmed.size(); ++lineNumber) {
        qsizetype end = trimmed.indexOf(u'\n', start);
        if (end < 0)
            end = trimmed.size();
        const QStringView line = TextLines::trimHorizontal(trimmed.sliced(start, end - start));
        if (!line.isEmpty())
            score += lineScore(line);
        start = end + 1;
    }

    const bool whole = trimmed.size() <= kWholeTextLimit;
    qsizetype limit = qMin(trimmed.size(), kWholeTextLimit);
    if (!whole && trimmed[limit - 1].isHighSurrogate())
        --limit;
    score += wholeTextScore(trimmed.first(limit), whole);
    return score >= 3;
}

} // namespace MarkdownDetector
