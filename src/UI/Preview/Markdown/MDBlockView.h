#pragma once

#include "MDInlineText.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace Markdown {
class Markup;
}

// A Markdown document turned into rows for the lazy stack of the preview: every leaf block (a
// paragraph, a heading, a piece of a code block, a table row, a rule, an image) is one row, and the
// containers around it (lists, list items, block quotes) become its indentation, its list markers,
// the quote bars beside it and the spacing above it. A long block is cut into several rows, so no
// row is ever costly to lay out, and a block nested in a thousand containers costs one row too. The
// rows of a long text still wrap as one run: each row's lines start where the row before ended its
// lines (see MDRowLayout), not where the text was cut.
//
// The rows are made on a worker from the parsed document; they own their texts, so the document
// can go once they are made. Sizes here are fixed points: they do not follow the font size.
namespace MDBlockView {

// Spacing and geometry of the stack, in points.
constexpr int kPadding = 14;
constexpr int kBlockSpacing = 10;
constexpr int kListSpacing = 6;
constexpr int kItemMarkerSpacing = 8;
constexpr int kNestedListIndent = 4;
constexpr int kQuoteSpacing = 8;
constexpr int kQuoteVerticalPadding = 4;
constexpr int kQuoteLeadingPadding = 2;
constexpr int kQuoteBarWidth = 3;
constexpr int kQuoteBarSpacing = 10;
constexpr int kOrderedMarkerWidth = 22;
constexpr int kCheckboxMarkerWidth = 18;
constexpr int kBulletMarkerWidth = 14;
constexpr int kRulePadding = 6;
// Lists and quotes nested deeper than this are shown as their Markdown source.
constexpr int kMaxNesting = 10;
// Texts longer than this are cut into rows of about this length; code into rows of kCodeLines lines.
constexpr qsizetype kRowCharacters = 1000;
constexpr int kCodeLines = 40;
// Tables with more columns than this are shown as their Markdown source.
constexpr int kMaxTableColumns = 24;

enum class Kind : quint8 {
    // Inline text: a paragraph, a heading, an HTML block, a block printed back to Markdown.
    Text,
    // Lines of a fenced or indented code block.
    Code,
    // A thematic break.
    Rule,
    // One row of a table: its head or a body row.
    TableRow,
    // An image standing as a block.
    Image,
};

enum class Role : quint8 {
    Body,
    Heading,
    Html,
    // An element with no drawing of its own, printed back to Markdown.
    Source,
    // The document's source as plain text, shown until the document is ready.
    Plain,
};

struct Marker {
    enum class Kind : quint8 { Bullet, Number, Checked, Unchecked };
    Kind kind = Kind::Bullet;
    int number = 0;
    // The marker's frame, from the left of the stack's content.
    int x = 0;
    int width = 0;
};

struct QuoteBar {
    int x = 0;
    // How far the bar reaches up into the spacing above the row (it joins the previous row's bar).
    int reachUp = 0;
};

struct Row {
    Kind kind = Kind::Text;
    Role role = Role::Body;
    int headingLevel = 0;
    // Space above the row, and where its content starts, from the left of the stack's content.
    int spacingAbove = 0;
    int indent = 0;
    // The row continues the text of the row before it (a long block cut into rows).
    bool continuation = false;
    // Text rows of a text cut into several: the whole text, shared by its rows (null for a text
    // in one row).
    std::shared_ptr<const MDInlineText::StyledText> whole;
    // The first and last row of a block cut into several (code, tables).
    bool first = true;
    bool last = true;
    std::vector<Marker> markers;
    std::vector<QuoteBar> bars;
    // Text rows: the text; code rows: the lines; image rows: the caption.
    MDInlineText::StyledText text;
    // How many line feeds the text has.
    int lineBreaks = 0;
    // Table rows: the cells.
    std::vector<MDInlineText::StyledText> cells;
    // The code block, table or image the row belongs to.
    int block = -1;
    // Code rows: where the row's lines start in the block's code; text rows of a cut text: where the
    // row's text starts in the whole; table rows: the row's position (0 for the head).
    qsizetype offset = 0;
};

struct CodeBlock {
    // Without its final line feed.
    QString code;
    std::optional<QString> language;
};

struct Table {
    int columns = 0;
    // Relative widths of the columns.
    std::vector<qreal> weights;
};

struct Image {
    QString source;
};

struct Model {
    std::vector<Row> rows;
    std::vector<CodeBlock> codeBlocks;
    // The first and last row of each code block, and the row of each image.
    std::vector<std::pair<int, int>> codeRows;
    std::vector<Table> tables;
    std::vector<Image> images;
    std::vector<int> imageRows;
    // Guessed heights of the rows (spacing above included), made with the rows for a width and a
    // base size, so that a long document arrives with them.
    std::vector<qreal> estimatedHeights;
    qreal estimatedWidth = -1;
    qreal estimatedBaseSize = -1;
};
using ModelPtr = std::shared_ptr<const Model>;

// The rows of a document's blocks (or of any elements given as blocks).
Model build(const Markdown::Markup& document);
Model buildBlocks(std::span<const Markdown::Markup> blocks);
// The source as plain text rows, at most `limit` characters of it.
Model plain(const QString& source, qsizetype limit);

// Where a leading part of `text` of at least `atLeast` characters ends such that its blocks parse
// as they do in the whole text: at the start of an unindented line after a blank line, outside
// fenced code and HTML blocks that run over blank lines. -1 when there is no such place soon after.
qsizetype leadingBlocksEnd(const QString& text, qsizetype atLeast);
// How many leading rows of `part` are the same in `whole`.
std::size_t sameLeadingRows(const Model& part, const Model& whole);

// The text a row gives when copied: its text, or its cells joined by tabs.
QString copiedText(const Row& row);

} // namespace MDBlockView
