#pragma once

#include "MDBlockView.h"

#include <UI/Design/Color.h>

#include <QImage>
#include <QRectF>
#include <QTextCharFormat>
#include <QTextLayout>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPainter;

// One row of the Markdown preview laid out at a width and drawn: its texts as text layouts, and
// the shapes around them (the heading's rule, the code block's card, the table's frame and zebra
// rows, the image's picture or placeholder, list markers and quote bars). Everything is measured in
// the stack's content coordinates: x from the content's left edge, y from the row's top.
namespace MDRowLayout {

// Colours of a highlighting result: where each run starts in the code, and its format.
using CodeColours = std::vector<std::pair<qsizetype, QTextCharFormat>>;

struct Picture {
    enum class State { Placeholder, Loading, Loaded };
    State state = State::Placeholder;
    QImage image;
};

struct Context {
    const MDBlockView::Model* model = nullptr;
    qreal width = 0;
    qreal baseSize = 13;
    QS::Color::Scheme scheme = QS::Color::Scheme::Light;
    // The colours of a code block, null while it has none.
    std::function<const CodeColours*(int block)> codeColours;
    // What an image row shows.
    std::function<Picture(int image)> picture;
};

// Line spacing of body text, in points.
constexpr qreal kLineSpacing = 3;
// The tallest picture an image row shows.
constexpr qreal kPictureMaxHeight = 220;
constexpr qreal kLoadingHeight = 48;

struct Piece {
    std::unique_ptr<QTextLayout> text;
    // Where the text is drawn, and the area that selects in it.
    QPointF origin;
    QRectF area;
    qreal lineSpacing = 0;
};

struct Layout {
    qreal height = 0;
    // The baseline the list markers of the row sit on.
    qreal markerBaseline = 0;
    // Selectable texts in reading order (one per cell for a table row).
    std::vector<Piece> pieces;
    // Texts drawn but not selected: a code block's language, an image's placeholder label.
    std::vector<Piece> labels;
    // The code card, the table's frame, the image's picture or placeholder.
    QRectF frame;
    // Table rows: the right edge of every column but the last.
    std::vector<qreal> columnEdges;
    // Text rows of a text cut into several: the stretch of the whole text that the row's lines
    // hold; the next row's lines start at textEnd.
    qsizetype textStart = 0;
    qsizetype textEnd = 0;
};

// Font size and weight of a heading's text, at a base size.
qreal headingSize(int level, qreal baseSize);
QFont::Weight headingWeight(int level);
// The monospaced size of code blocks.
qreal codeSize(qreal baseSize);

// The selectable texts of a row, in the order its layout's pieces have them.
std::vector<QString> pieceTexts(const MDBlockView::Row& row);

// `textStart`: for a row of a text cut into several (not its first), where the row before ended
// its lines (that layout's textEnd), so that the rows wrap as one text.
Layout layout(const MDBlockView::Row& row, const Context& context, qsizetype textStart = 0);
// The textEnd of that layout, found at about half its cost.
qsizetype textLinesEnd(const MDBlockView::Row& row, const Context& context, qsizetype textStart);
// A guess at the row's height before it is laid out, from its text's length.
qreal estimatedHeight(const MDBlockView::Row& row, const Context& context);
// The model's estimated heights for a width and a base size (safe on any thread).
void estimate(MDBlockView::Model& model, qreal width, qreal baseSize);

// Draws the row with its top-left at the painter's origin; `selections` holds the selected stretch
// of each piece (start, length; length 0 for none).
void paint(QPainter& painter, const MDBlockView::Row& row, const Layout& layout, const Context& context,
           const std::vector<std::pair<int, int>>& selections, const QPalette& palette);

// The position in piece `piece` nearest to `point` (row coordinates).
int hitTest(const Piece& piece, QPointF point);
// The piece nearest to `point`; -1 when the row has none.
int pieceAt(const Layout& layout, QPointF point);

} // namespace MDRowLayout
