#pragma once
// Conversions between the highlighter's styled text and Qt's rich-text types.

#include <SyntaxHighlighter/StyledText.h>

#include <QColor>
#include <QFont>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace TextStyling {

QColor toQColor(const SyntaxHighlighter::Color& color);
SyntaxHighlighter::Color fromQColor(const QColor& color);

QFont toQFont(const SyntaxHighlighter::Font& font);
SyntaxHighlighter::Font fromQFont(const QFont& font);

// Only the attributes that are set become properties of the format.
QTextCharFormat toCharFormat(const SyntaxHighlighter::TextAttributes& attributes);
// The colours and the face (bold, italic) only, for text drawn in a view's own font.
QTextCharFormat toFaceAndColourFormat(const SyntaxHighlighter::TextAttributes& attributes);
// The colours the format sets and its font.
SyntaxHighlighter::TextAttributes fromCharFormat(const QTextCharFormat& format);

// Inserts the text run by run at the cursor, each run with its own format. Line breaks become
// block separators (a CR LF pair one of them).
void insertStyledText(QTextCursor& cursor, const SyntaxHighlighter::StyledText& text);
// Replaces the document's content with the styled text.
void setStyledText(QTextDocument& document, const SyntaxHighlighter::StyledText& text);
// The document's text and character formats, blocks joined by "\n".
SyntaxHighlighter::StyledText styledTextFromDocument(const QTextDocument& document);

} // namespace TextStyling
