#include "TextStyling.h"

#include <QTextBlock>

#include <algorithm>

namespace TextStyling {

QColor toQColor(const SyntaxHighlighter::Color& color) {
    return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                            static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

SyntaxHighlighter::Color fromQColor(const QColor& color) {
    QColor rgb = color.toRgb();
    return {rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
}

QFont toQFont(const SyntaxHighlighter::Font& font) {
    QFont qfont(QString::fromStdString(font.family));
    if (font.pointSize > 0)
        qfont.setPointSizeF(font.pointSize);
    qfont.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
    qfont.setItalic(font.italic);
    qfont.setStyleHint(QFont::Monospace);
    return qfont;
}

SyntaxHighlighter::Font fromQFont(const QFont& font) {
    return {font.family().toStdString(), font.styleName().toStdString(), static_cast<int>(font.weight()),
            font.italic(), font.pointSizeF()};
}

QTextCharFormat toCharFormat(const SyntaxHighlighter::TextAttributes& attributes) {
    QTextCharFormat format;
    if (attributes.foreground)
        format.setForeground(toQColor(*attributes.foreground));
    if (attributes.background)
        format.setBackground(toQColor(*attributes.background));
    if (attributes.font)
        format.setFont(toQFont(*attributes.font), QTextCharFormat::FontPropertiesAll);
    return format;
}

QTextCharFormat toFaceAndColourFormat(const SyntaxHighlighter::TextAttributes& attributes) {
    QTextCharFormat format;
    if (attributes.foreground)
        format.setForeground(toQColor(*attributes.foreground));
    if (attributes.background)
        format.setBackground(toQColor(*attributes.background));
    if (attributes.font) {
        if (attributes.font->weight >= 600)
            format.setFontWeight(QFont::Bold);
        if (attributes.font->italic)
            format.setFontItalic(true);
    }
    return format;
}

SyntaxHighlighter::TextAttributes fromCharFormat(const QTextCharFormat& format) {
    SyntaxHighlighter::TextAttributes attributes;
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        attributes.foreground = fromQColor(format.foreground().color());
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        attributes.background = fromQColor(format.background().color());
    attributes.font = fromQFont(format.font());
    return attributes;
}

void insertStyledText(QTextCursor& cursor, const SyntaxHighlighter::StyledText& text) {
    const std::u16string& characters = text.text();
    for (const auto& run : text.runs()) {
        QString piece = QString::fromUtf16(characters.data() + run.range.location,
                                           static_cast<qsizetype>(run.range.length));
        cursor.insertText(piece, toCharFormat(run.attributes));
    }
}

void setStyledText(QTextDocument& document, const SyntaxHighlighter::StyledText& text) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    insertStyledText(cursor, text);
    cursor.endEditBlock();
}

SyntaxHighlighter::StyledText styledTextFromDocument(const QTextDocument& document) {
    SyntaxHighlighter::StyledText result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            result.append(u"\n", fromCharFormat(block.charFormat()));
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            QTextFragment piece = fragment.fragment();
            if (!piece.isValid())
                continue;
            QString text = piece.text();
            result.append(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                              static_cast<std::size_t>(text.size())),
                          fromCharFormat(piece.charFormat()));
        }
    }
    return result;
}

} // namespace TextStyling
