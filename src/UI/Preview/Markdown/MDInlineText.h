#pragma once

#include <UI/Design/Color.h>

#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>

#include <vector>

namespace Markdown {
class Markup;
class RawMarkup;
} // namespace Markdown

// The inline content of one Markdown container (a paragraph, a heading, a table cell) as ONE styled
// text: every inline element becomes a fragment, and the fragments are joined in order. Styles of a
// group (bold, italic, strike-through, link) reach every fragment inside it; inline code and inline
// HTML bring their own font. The text is built from the tree itself, never from markup text, and
// needs no GUI: it is made on the parsing worker and only given fonts and colours when laid out.
namespace MDInlineText {

enum Style : quint16 {
    Bold = 1 << 0,
    Italic = 1 << 1,
    Strikethrough = 1 << 2,
    Code = 1 << 3,
    Link = 1 << 4,
    Image = 1 << 5,
    Html = 1 << 6,
};

// A stretch of the text in some styles; stretches without a style have no run.
struct Run {
    qsizetype start = 0;
    qsizetype length = 0;
    quint16 styles = 0;
};

struct StyledText {
    // Hard line breaks are "\n".
    QString text;
    // In text order, not overlapping.
    std::vector<Run> runs;

    // Appends `fragment` in `styles`.
    void append(const QString& fragment, quint16 styles);
    // The stretch [from, from + length), its runs cut to it and moved to its start.
    StyledText slice(qsizetype from, qsizetype length) const;
};

// What an image inline shows when it has no text of its own.
QString imageMarker();

// The children of `container`, each rendered to its fragment, joined in order.
StyledText render(const Markdown::Markup& container);
StyledText render(const Markdown::RawMarkup& container);
// The text of an element: its own string for a text, else the texts of all its descendants joined
// without separator (inline code, breaks and HTML give nothing).
QString collectPlain(const Markdown::RawMarkup& element);

// How a styled text is drawn: the body font at a size and weight, in the label colour of a scheme.
struct Look {
    qreal size = 13;
    QFont::Weight weight = QFont::Normal;
    QS::Color::Scheme scheme = QS::Color::Scheme::Light;
};
QFont bodyFont(const Look& look);
// The formats of the styled runs: fonts of their own for code and HTML, colours, weights, slants,
// strike-through and underline.
QList<QTextLayout::FormatRange> formats(const StyledText& text, const Look& look);

} // namespace MDInlineText
