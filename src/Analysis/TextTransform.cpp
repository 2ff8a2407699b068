#include "TextTransform.h"

#include "TextLines.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace TextTransforms {

namespace {

QString joinLines(const QList<QStringView>& lines) {
    QString result;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            result += u'\n';
        result += lines[i];
    }
    return result;
}

QString trimmedLines(const QString& text) {
    QList<QStringView> lines = TextLines::split(text);
    for (QStringView& line : lines)
        line = TextLines::trimHorizontal(line);
    const QString joined = joinLines(lines);
    return TextLines::trimAll(joined).toString();
}

QString withoutEmptyLines(const QString& text) {
    QList<QStringView> kept;
    for (QStringView line : TextLines::split(text)) {
        if (!TextLines::trimHorizontal(line).isEmpty())
            kept.append(line);
    }
    return joinLines(kept);
}

bool isAsciiLowerOrDigit(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

bool isAsciiUpper(QChar c) {
    return c >= u'A' && c <= u'Z';
}

QString camelToSnakeCase(const QString& text) {
    QString result;
    result.reserve(text.size() + text.size() / 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        result += text[i];
        if (i + 1 < text.size() && isAsciiLowerOrDigit(text[i]) && isAsciiUpper(text[i + 1])) {
            result += u'_';
            result += text[i + 1];
            ++i;
        }
    }
    return result.toLower();
}

// The first user-perceived character upper-cased, the rest unchanged.
QString capitalizedFirstCharacter(QStringView part) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, part.data(), part.size());
    qsizetype end = finder.toNextBoundary();
    if (end < 0)
        end = part.size();
    return part.first(end).toString().toUpper() + part.sliced(end).toString();
}

QString snakeWordToCamel(QStringView word) {
    const QList<QStringView> parts = word.split(u'_', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return word.toString();
    QString result = parts[0].toString().toLower();
    for (qsizetype i = 1; i < parts.size(); ++i)
        result += capitalizedFirstCharacter(parts[i]);
    return result;
}

QString snakeToCamelCase(const QString& text) {
    QStringList lines;
    for (QStringView line : TextLines::split(text)) {
        QStringList words;
        for (QStringView word : line.split(u' '))
            words.append(snakeWordToCamel(word));
        lines.append(words.join(u' '));
    }
    return lines.join(u'\n');
}

QString escapedAsJSONString(const QString& text) {
    static const char hex[] = "0123456789abcdef";
    QString result;
    result.reserve(text.size() + 8);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            result += u"\\\"";
            break;
        case u'\\':
            result += u"\\\\";
            break;
        case u'/':
            result += u"\\/";
            break;
        case u'\b':
            result += u"\\b";
            break;
        case u'\f':
            result += u"\\f";
            break;
        case u'\n':
            result += u"\\n";
            break;
        case u'\r':
            result += u"\\r";
            break;
        case u'\t':
            result += u"\\t";
            break;
        default:
            if (c.unicode() < 0x20) {
                result += u"\\u00";
                result += QLatin1Char(hex[c.unicode() >> 4]);
                result += QLatin1Char(hex[c.unicode() & 0xF]);
            } else {
                result += c;
            }
        }
    }
    return result;
}

} // namespace

const QList<TextTransform>& allCases() {
    static const QList<TextTransform> all = {
        TextTransform::uppercased,       TextTransform::lowercased,   TextTransform::trimmed,
        TextTransform::removeEmptyLines, TextTransform::camelToSnake, TextTransform::snakeToCamel,
        TextTransform::escapeJSON,
    };
    return all;
}

QString rawValue(TextTransform transform) {
    switch (transform) {
    case TextTransform::uppercased:
        return QStringLiteral("uppercased");
    case TextTransform::lowercased:
        return QStringLiteral("lowercased");
    case TextTransform::trimmed:
        return QStringLiteral("trimmed");
    case TextTransform::removeEmptyLines:
        return QStringLiteral("removeEmptyLines");
    case TextTransform::camelToSnake:
        return QStringLiteral("camelToSnake");
    case TextTransform::snakeToCamel:
        return QStringLiteral("snakeToCamel");
    case TextTransform::escapeJSON:
        return QStringLiteral("escapeJSON");
    }
    return {};
}

std::optional<TextTransform> fromRawValue(QStringView raw) {
    for (TextTransform transform : allCases()) {
        if (raw == rawValue(transform))
            return transform;
    }
    return std::nullopt;
}

QString title(TextTransform transform) {
    switch (transform) {
    case TextTransform::uppercased:
        return QCoreApplication::translate("TextTransform", "UPPERCASE");
    case TextTransform::lowercased:
        return QCoreApplication::translate("TextTransform", "lowercase");
    case TextTransform::trimmed:
        return QCoreApplication::translate("TextTransform", "Trim whitespace");
    case TextTransform::removeEmptyLines:
        return QCoreApplication::translate("TextTransform", "Remove empty lines");
    case TextTransform::camelToSnake:
        return QCoreApplication::translate("TextTransform", "camelCase \u2192 snake_case");
    case TextTransform::snakeToCamel:
        return QCoreApplication::translate("TextTransform", "snake_case \u2192 camelCase");
    case TextTransform::escapeJSON:
        return QCoreApplication::translate("TextTransform", "Escape as JSON string");
    }
    return {};
}

QString apply(TextTransform transform, const QString& text) {
    switch (transform) {
    case TextTransform::uppercased:
        return text.toUpper();
    case TextTransform::lowercased:
        return text.toLower();
    case TextTransform::trimmed:
        return trimmedLines(text);
    case TextTransform::removeEmptyLines:
        return withoutEmptyLines(text);
    case TextTransform::camelToSnake:
        return camelToSnakeCase(text);
    case TextTransform::snakeToCamel:
        return snakeToCamelCase(text);
    case TextTransform::escapeJSON:
        return escapedAsJSONString(text);
    }
    return text;
}

} // namespace TextTransforms
