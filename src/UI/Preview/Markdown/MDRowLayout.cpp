#include "MDRowLayout.h"

#include "../PreviewWidgets.h"

#include <UI/Design/Font.h>
#include <UI/Design/SymbolIcon.h>

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace MDRowLayout {

namespace {

using MDBlockView::Kind;
using MDBlockView::Role;
using MDBlockView::Row;
using Scheme = QS::Color::Scheme;

// Code blocks: the card's padding and corner, the language label's font and padding.
constexpr qreal kCodePadding = 10;
constexpr qreal kCardRadius = 8;
constexpr qreal kLanguageSize = 9;
constexpr qreal kLanguageTop = 8;
constexpr qreal kLanguageBottom = 2;
// Tables: the cells' padding, the frame's corner, the narrowest column.
constexpr qreal kCellHorizontalPadding = 10;
constexpr qreal kCellVerticalPadding = 6;
constexpr qreal kTableRadius = 6;
constexpr qreal kMinColumnWidth = 56;
constexpr qreal kCellLineSpacing = 2;
// Images: the placeholder's padding, symbol and text; the caption below the picture.
constexpr qreal kImagePadding = 10;
constexpr qreal kImageSymbolSize = 14;
constexpr qreal kImageSpacing = 8;
constexpr qreal kImageTextSize = 11;
constexpr qreal kCaptionSpacing = 6;
// The heading's rule and the thematic break.
constexpr qreal kHeadingRuleSpacing = 6;

QString shownText(QString text) {
    // A hard line break inside one text layout.
    text.replace(u'\n', QChar::LineSeparator);
    return text;
}

QTextOption textOption() {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// Lays `text` out in lines of `width`, `spacing` apart; at most `maxLines` lines (0: all), the last
// one then cut with "…".
std::unique_ptr<QTextLayout> layoutText(const QString& text, const QFont& font,
                                        const QList<QTextLayout::FormatRange>& formats, qreal width,
                                        qreal spacing, qreal& height, int maxLines = 0) {
    auto layout = std::make_unique<QTextLayout>(shownText(text), font);
    layout->setFormats(formats);
    layout->setCacheEnabled(true);
    layout->setTextOption(textOption());
    width = std::max<qreal>(width, 1);
    qreal y = 0;
    int lines = 0;
    bool cut = false;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition({0, y});
        y += line.height() + spacing;
        if (maxLines > 0 && ++lines == maxLines) {
            cut = line.textStart() + line.textLength() < layout->text().size();
            break;
        }
    }
    layout->endLayout();
    if (cut) {
        const QTextLine last = layout->lineAt(layout->lineCount() - 1);
        const QString kept = text.left(last.textStart());
        const QString elided =
            QFontMetricsF(font).elidedText(text.mid(last.textStart()).simplified(), Qt::ElideRight, width);
        return layoutText(kept + elided, font, {}, width, spacing, height, maxLines);
    }
    height = layout->lineCount() > 0 ? y - spacing : 0;
    return layout;
}

// Where the lines of a row of a cut text end when they start at `start`: after the last line that
// begins inside the row's own stretch (at least one line). A line is only known to be whole when the
// text laid out goes on after it, so the text is laid out a row's length further than the stretch.
qsizetype cutTextLinesEnd(const Row& row, qsizetype start, const QFont& font, const MDInlineText::Look& look,
                          qreal width) {
    const MDInlineText::StyledText& whole = *row.whole;
    if (row.last || start >= whole.text.size())
        return whole.text.size();
    const qsizetype ownEnd = row.offset + row.text.text.size();
    const qsizetype end = std::min(whole.text.size(), ownEnd + MDBlockView::kRowCharacters);
    const MDInlineText::StyledText part = whole.slice(start, end - start);
    QTextLayout layout(shownText(part.text), font);
    if (row.role == Role::Body || row.role == Role::Heading)
        layout.setFormats(MDInlineText::formats(part, look));
    layout.setTextOption(textOption());
    qsizetype linesEnd = start;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        const qsizetype lineStart = start + line.textStart();
        const qsizetype lineEnd = lineStart + line.textLength();
        const bool first = lineStart == start;
        if (!first && (lineStart >= ownEnd || (lineEnd >= end && end < whole.text.size())))
            break;
        linesEnd = lineEnd;
    }
    layout.endLayout();
    return linesEnd;
}

qreal firstBaseline(const QTextLayout& layout) {
    if (layout.lineCount() == 0)
        return 0;
    const QTextLine line = layout.lineAt(0);
    return line.y() + line.ascent();
}

QFont textFont(const Row& row, qreal base) {
    switch (row.role) {
    case Role::Heading:
        return QS::Font::system(headingSize(row.headingLevel, base), headingWeight(row.headingLevel));
    case Role::Html:
        return QS::Font::system(base - 1, QFont::Normal, QS::Font::Design::Monospaced);
    case Role::Source:
    case Role::Plain:
        return QS::Font::system(base, QFont::Medium);
    case Role::Body:
        break;
    }
    return QS::Font::system(base, QFont::Normal);
}

QList<QTextLayout::FormatRange> codeFormats(const Row& row, const CodeColours* colours) {
    QList<QTextLayout::FormatRange> ranges;
    if (!colours || colours->empty())
        return ranges;
    const qsizetype from = row.offset;
    const qsizetype to = from + row.text.text.size();
    auto run = std::upper_bound(colours->begin(), colours->end(), from,
                                [](qsizetype position, const auto& entry) { return position < entry.first; });
    if (run != colours->begin())
        --run;
    for (; run != colours->end() && run->first < to; ++run) {
        const qsizetype next = std::next(run) == colours->end() ? to : std::next(run)->first;
        const qsizetype start = std::max(run->first, from);
        const qsizetype end = std::min(next, to);
        if (end > start)
            ranges.append({static_cast<int>(start - from), static_cast<int>(end - start), run->second});
    }
    return ranges;
}

// The widths of a table's columns: by their measured weights, none narrower than the minimum
// unless the table cannot fit them.
std::vector<qreal> columnWidths(const MDBlockView::Table& table, qreal width) {
    const std::size_t count = static_cast<std::size_t>(table.columns);
    std::vector<qreal> widths(count, width / static_cast<qreal>(count));
    if (width / static_cast<qreal>(count) <= kMinColumnWidth)
        return widths;
    qreal total = 0;
    for (qreal weight : table.weights)
        total += weight;
    qreal flexible = width;
    qreal flexibleWeight = total;
    for (std::size_t column = 0; column < count; ++column) {
        if (width * table.weights[column] / total < kMinColumnWidth) {
            widths[column] = kMinColumnWidth;
            flexible -= kMinColumnWidth;
            flexibleWeight -= table.weights[column];
        }
    }
    for (std::size_t column = 0; column < count; ++column) {
        if (width * table.weights[column] / total >= kMinColumnWidth)
            widths[column] = flexible * table.weights[column] / flexibleWeight;
    }
    return widths;
}

QString imageLabel(const QString& source) {
    return source.isEmpty() ? QCoreApplication::translate("MarkdownPreviewView", "Image") : source;
}

// A shape that continues into the rows above or below: only the ends of the whole are rounded, and
// the edge between two rows is left open.
void paintCard(QPainter& painter, QRectF rect, qreal radius, bool first, bool last, const QColor& fill,
               const QColor& stroke, qreal strokeWidth) {
    painter.save();
    painter.setClipRect(rect.adjusted(-1, 0, 1, 0));
    const qreal overlap = radius + 2;
    const QRectF shape = rect.adjusted(0, first ? 0 : -overlap, 0, last ? 0 : overlap);
    QPainterPath path;
    const qreal inset = strokeWidth / 2;
    path.addRoundedRect(shape.adjusted(inset, inset, -inset, -inset), radius, radius);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, fill);
    painter.strokePath(path, QPen(stroke, strokeWidth));
    painter.restore();
}

void drawText(QPainter& painter, const Piece& piece, const QColor& color,
              const QVector<QTextLayout::FormatRange>& selection) {
    painter.setPen(color);
    piece.text->draw(&painter, piece.origin, selection);
}

} // namespace

qreal headingSize(int level, qreal baseSize) {
    switch (level) {
    case 1:
        return baseSize + 8;
    case 2:
        return baseSize + 5;
    case 3:
        return baseSize + 3;
    case 4:
        return baseSize + 1;
    default:
        return baseSize;
    }
}

QFont::Weight headingWeight(int level) {
    return level <= 2 ? QFont::Bold : QFont::DemiBold;
}

qreal codeSize(qreal baseSize) {
    return std::max<qreal>(11, baseSize - 1);
}

std::vector<QString> pieceTexts(const Row& row) {
    switch (row.kind) {
    case Kind::Text:
    case Kind::Code:
        return {row.text.text};
    case Kind::TableRow: {
        std::vector<QString> cells;
        for (const auto& cell : row.cells)
            cells.push_back(cell.text);
        return cells;
    }
    case Kind::Image:
        if (row.text.text.isEmpty())
            return {};
        return {row.text.text};
    case Kind::Rule:
        break;
    }
    return {};
}

qsizetype textLinesEnd(const Row& row, const Context& context, qsizetype textStart) {
    const QFont font = textFont(row, context.baseSize);
    const MDInlineText::Look look{font.pixelSize() * 1.0, QFont::Weight(font.weight()), context.scheme};
    const qreal width = std::max<qreal>(context.width - row.indent, 1);
    return cutTextLinesEnd(row, row.first ? 0 : textStart, font, look, width);
}

Layout layout(const Row& row, const Context& context, qsizetype textStart) {
    Layout result;
    const qreal base = context.baseSize;
    const qreal x = row.indent;
    const qreal width = std::max<qreal>(context.width - row.indent, 1);
    switch (row.kind) {
    case Kind::Text: {
        Piece piece;
        qreal height = 0;
        const QFont font = textFont(row, base);
        const MDInlineText::Look look{font.pixelSize() * 1.0, QFont::Weight(font.weight()), context.scheme};
        // A row of a cut text holds whole lines of the whole text, from where the row before ended.
        MDInlineText::StyledText cutText;
        if (row.whole) {
            result.textStart = std::min(row.first ? 0 : textStart, row.whole->text.size());
            result.textEnd = textLinesEnd(row, context, result.textStart);
            cutText = row.whole->slice(result.textStart, result.textEnd - result.textStart);
        }
        const MDInlineText::StyledText& text = row.whole ? cutText : row.text;
        QList<QTextLayout::FormatRange> formats;
        if (row.role == Role::Body || row.role == Role::Heading)
            formats = MDInlineText::formats(text, look);
        piece.lineSpacing = kLineSpacing;
        piece.text = layoutText(text.text, font, formats, width, kLineSpacing, height);
        piece.origin = {x, 0};
        piece.area = QRectF(x, 0, width, height);
        result.markerBaseline = firstBaseline(*piece.text);
        result.height = height;
        if (row.role == Role::Heading && row.headingLevel <= 2 && row.last) {
            result.frame = QRectF(x, height + kHeadingRuleSpacing, width, 1);
            result.height = result.frame.bottom();
        }
        result.pieces.push_back(std::move(piece));
        break;
    }
    case Kind::Code: {
        const MDBlockView::CodeBlock& block = context.model->codeBlocks[static_cast<std::size_t>(row.block)];
        qreal top = 0;
        if (row.first) {
            if (block.language) {
                Piece label;
                qreal height = 0;
                label.text = layoutText(*block.language, QS::Font::system(kLanguageSize, QFont::Bold), {},
                                        width - 2 * kCodePadding, 0, height, 1);
                label.origin = {x + kCodePadding, kLanguageTop};
                top = kLanguageTop + height + kLanguageBottom;
                result.labels.push_back(std::move(label));
            }
            top += kCodePadding;
        }
        Piece piece;
        qreal height = 0;
        const CodeColours* colours = context.codeColours ? context.codeColours(row.block) : nullptr;
        piece.text = layoutText(row.text.text,
                                QS::Font::system(codeSize(base), QFont::Normal, QS::Font::Design::Monospaced),
                                codeFormats(row, colours), width - 2 * kCodePadding, 0, height);
        piece.origin = {x + kCodePadding, top};
        result.markerBaseline = top + firstBaseline(*piece.text);
        result.height = top + height + (row.last ? kCodePadding : 0);
        piece.area = QRectF(x, 0, width, result.height);
        result.frame = QRectF(x, 0, width, result.height);
        result.pieces.push_back(std::move(piece));
        break;
    }
    case Kind::Rule:
        result.frame = QRectF(x, MDBlockView::kRulePadding, width, 1);
        result.height = 2 * MDBlockView::kRulePadding + 1;
        result.markerBaseline = QFontMetricsF(QS::Font::system(base)).ascent();
        break;
    case Kind::TableRow: {
        const MDBlockView::Table& table = context.model->tables[static_cast<std::size_t>(row.block)];
        const std::vector<qreal> widths = columnWidths(table, width);
        const bool head = row.offset == 0;
        const QFont font = QS::Font::system(base, head ? QFont::DemiBold : QFont::Normal);
        qreal left = x;
        qreal tallest = 0;
        for (std::size_t column = 0; column < widths.size(); ++column) {
            if (column < row.cells.size()) {
                Piece piece;
                qreal height = 0;
                const auto& cell = row.cells[column];
                piece.lineSpacing = kCellLineSpacing;
                piece.text = layoutText(
                    cell.text, font,
                    MDInlineText::formats(cell, {base, QFont::Weight(font.weight()), context.scheme}),
                    widths[column] - 2 * kCellHorizontalPadding, kCellLineSpacing, height);
                piece.origin = {left + kCellHorizontalPadding, kCellVerticalPadding};
                piece.area = QRectF(left, 0, widths[column], 0);
                tallest = std::max(tallest, height);
                result.pieces.push_back(std::move(piece));
            }
            left += widths[column];
            if (column + 1 < widths.size())
                result.columnEdges.push_back(left);
        }
        result.height = tallest + 2 * kCellVerticalPadding;
        for (Piece& piece : result.pieces)
            piece.area.setHeight(result.height);
        result.frame = QRectF(x, 0, width, result.height);
        result.markerBaseline = kCellVerticalPadding + QFontMetricsF(font).ascent();
        break;
    }
    case Kind::Image: {
        const Picture picture = context.picture ? context.picture(row.block) : Picture{};
        const QString& source = context.model->images[static_cast<std::size_t>(row.block)].source;
        switch (picture.state) {
        case Picture::State::Loaded: {
            const qreal aspect = qreal(picture.image.width()) / std::max(1, picture.image.height());
            const qreal height = std::min(kPictureMaxHeight, width / aspect);
            result.frame = QRectF(x, 0, height * aspect, height);
            break;
        }
        case Picture::State::Loading:
            result.frame = QRectF(x, 0, width, kLoadingHeight);
            break;
        case Picture::State::Placeholder: {
            Piece label;
            qreal height = 0;
            label.text =
                layoutText(imageLabel(source), QS::Font::system(kImageTextSize, QFont::Medium), {},
                           width - 2 * kImagePadding - kImageSymbolSize - kImageSpacing, 0, height, 2);
            const qreal rowHeight = std::max(height, kImageSymbolSize) + 2 * kImagePadding;
            label.origin = {x + kImagePadding + kImageSymbolSize + kImageSpacing, (rowHeight - height) / 2};
            result.labels.push_back(std::move(label));
            result.frame = QRectF(x, 0, width, rowHeight);
            break;
        }
        }
        result.height = result.frame.height();
        result.markerBaseline = QFontMetricsF(QS::Font::system(base)).ascent();
        if (!row.text.text.isEmpty()) {
            Piece caption;
            qreal height = 0;
            caption.text = layoutText(row.text.text, QS::Font::system(kImageTextSize, QFont::Medium), {},
                                      width, 0, height);
            caption.origin = {x, result.height + kCaptionSpacing};
            caption.area = QRectF(x, caption.origin.y(), width, height);
            result.height = caption.area.bottom();
            result.pieces.push_back(std::move(caption));
        }
        break;
    }
    }
    return result;
}

qreal estimatedHeight(const Row& row, const Context& context) {
    const qreal base = context.baseSize;
    const qreal width = std::max<qreal>(context.width - row.indent, 40);
    // Lines of `text` in a font of `size`: its hard lines plus the wrapping of its characters.
    const auto lines = [width, &row](const QString& text, qreal size) {
        const qreal perLine = std::max<qreal>(1, width / (size * 0.55));
        return std::ceil(text.size() / perLine) + row.lineBreaks;
    };
    switch (row.kind) {
    case Kind::Text: {
        const qreal size = row.role == Role::Heading ? headingSize(row.headingLevel, base) : base;
        const qreal count = std::max<qreal>(1, lines(row.text.text, size));
        const qreal rule = row.role == Role::Heading && row.headingLevel <= 2 && row.last ? 7 : 0;
        return count * (size * 1.2 + kLineSpacing) - kLineSpacing + rule;
    }
    case Kind::Code: {
        const qreal size = codeSize(base);
        const qreal count = std::max<qreal>(1, lines(row.text.text, size * 1.1));
        return count * size * 1.2 + (row.first ? 2 * kCodePadding + 12 : 0) + (row.last ? kCodePadding : 0);
    }
    case Kind::Rule:
        return 2 * MDBlockView::kRulePadding + 1;
    case Kind::TableRow: {
        qsizetype longest = 0;
        for (const auto& cell : row.cells)
            longest = std::max(longest, cell.text.size());
        const qreal columns = std::max<std::size_t>(1, row.cells.size());
        const qreal perLine = std::max<qreal>(1, width / columns / (base * 0.55));
        return std::ceil(std::max<qreal>(1, longest) / perLine) * base * 1.25 + 2 * kCellVerticalPadding;
    }
    case Kind::Image:
        return 2 * kImagePadding + kImageSymbolSize + (row.text.text.isEmpty() ? 0 : kCaptionSpacing + 14);
    }
    return base;
}

void estimate(MDBlockView::Model& model, qreal width, qreal baseSize) {
    Context context;
    context.model = &model;
    context.width = width;
    context.baseSize = baseSize;
    model.estimatedHeights.clear();
    model.estimatedHeights.reserve(model.rows.size());
    for (const Row& row : model.rows)
        model.estimatedHeights.push_back(row.spacingAbove + estimatedHeight(row, context));
    model.estimatedWidth = width;
    model.estimatedBaseSize = baseSize;
}

void paint(QPainter& painter, const Row& row, const Layout& layout, const Context& context,
           const std::vector<std::pair<int, int>>& selections, const QPalette& palette) {
    const Scheme scheme = context.scheme;
    const QColor label = QS::Color::label(scheme);
    const QColor secondary = QS::Color::secondaryText(scheme);
    const auto selectionOf = [&](std::size_t piece) {
        QVector<QTextLayout::FormatRange> ranges;
        if (piece < selections.size() && selections[piece].second > 0) {
            QTextCharFormat format;
            format.setBackground(palette.color(QPalette::Highlight));
            format.setForeground(palette.color(QPalette::HighlightedText));
            ranges.append({selections[piece].first, selections[piece].second, format});
        }
        return ranges;
    };

    // Quote bars, reaching up to join the bar of the row before.
    for (const MDBlockView::QuoteBar& bar : row.bars)
        painter.fillRect(
            QRectF(bar.x, -bar.reachUp, MDBlockView::kQuoteBarWidth, layout.height + bar.reachUp),
            QS::Color::withOpacity(QS::Color::brand(), 0.55));

    switch (row.kind) {
    case Kind::Text:
        drawText(painter, layout.pieces[0], row.role == Role::Html ? secondary : label, selectionOf(0));
        if (!layout.frame.isEmpty())
            painter.fillRect(layout.frame, QS::Color::withOpacity(label, 0.08));
        break;
    case Kind::Code:
        paintCard(painter, layout.frame, kCardRadius, row.first, row.last,
                  QS::Color::withOpacity(label, 0.05), QS::Color::withOpacity(label, 0.08), 0.5);
        for (const Piece& language : layout.labels)
            drawText(painter, language, secondary, {});
        drawText(painter, layout.pieces[0], label, selectionOf(0));
        break;
    case Kind::Rule:
        painter.fillRect(layout.frame, QS::Color::withOpacity(label, 0.12));
        break;
    case Kind::TableRow: {
        const bool head = row.offset == 0;
        // Head row tinted, then every other body row.
        const qreal tint = head ? 0.06 : (row.offset % 2 == 0 ? 0.035 : 0);
        paintCard(painter, layout.frame, kTableRadius, row.first, row.last,
                  QS::Color::withOpacity(label, tint), QS::Color::cardStroke(scheme), 1);
        const QColor rule = QS::Color::withOpacity(label, 0.08);
        if (!row.first)
            painter.fillRect(QRectF(layout.frame.left() + 1, 0, layout.frame.width() - 2, 1), rule);
        for (qreal edge : layout.columnEdges)
            painter.fillRect(QRectF(edge, 0, 1, layout.height), rule);
        for (std::size_t piece = 0; piece < layout.pieces.size(); ++piece)
            drawText(painter, layout.pieces[piece], label, selectionOf(piece));
        break;
    }
    case Kind::Image: {
        const Picture picture = context.picture ? context.picture(row.block) : Picture{};
        QPainterPath shape;
        shape.addRoundedRect(layout.frame, kCardRadius, kCardRadius);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (picture.state == Picture::State::Loaded) {
            painter.setClipPath(shape);
            painter.drawImage(layout.frame, picture.image);
        } else {
            painter.fillPath(shape, QS::Color::withOpacity(label, 0.05));
        }
        painter.restore();
        if (picture.state == Picture::State::Placeholder) {
            const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
            const int size = static_cast<int>(kImageSymbolSize);
            const QPixmap symbol = SymbolIcon::pixmap(QStringLiteral("photo"), size, secondary, ratio);
            painter.drawPixmap(QPointF(layout.frame.left() + kImagePadding,
                                       layout.frame.center().y() - kImageSymbolSize / 2),
                               symbol);
            for (const Piece& text : layout.labels)
                drawText(painter, text, secondary, {});
        }
        for (std::size_t piece = 0; piece < layout.pieces.size(); ++piece)
            drawText(painter, layout.pieces[piece], secondary, selectionOf(piece));
        break;
    }
    }

    // List markers on the row's first baseline.
    const qreal base = context.baseSize;
    for (const MDBlockView::Marker& marker : row.markers) {
        using MarkerKind = MDBlockView::Marker::Kind;
        if (marker.kind == MarkerKind::Checked || marker.kind == MarkerKind::Unchecked) {
            const bool checked = marker.kind == MarkerKind::Checked;
            // Our drawings leave a margin inside their square: drawn two points larger, the box
            // matches the text beside it as a symbol of the text's size would.
            const int size = static_cast<int>(std::lround(base + 1));
            const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
            const QPixmap symbol = SymbolIcon::pixmap(checked ? QStringLiteral("checkmark.square.fill")
                                                              : QStringLiteral("square"),
                                                      size, checked ? QS::Color::brand() : secondary, ratio);
            painter.drawPixmap(
                QPointF(marker.x + (marker.width - size) / 2.0, layout.markerBaseline - size * 0.88), symbol);
            continue;
        }
        const bool number = marker.kind == MarkerKind::Number;
        const QFont font = QS::Font::system(base, number ? QFont::Medium : QFont::Bold);
        const QString text =
            number ? QCoreApplication::translate("MarkdownPreviewView", "%1.").arg(marker.number)
                   : QCoreApplication::translate("MarkdownPreviewView", "•");
        const QFontMetricsF metrics(font);
        const qreal advance = metrics.horizontalAdvance(text);
        const qreal left =
            number ? marker.x + marker.width - advance : marker.x + (marker.width - advance) / 2;
        painter.setFont(font);
        painter.setPen(secondary);
        painter.drawText(QPointF(left, layout.markerBaseline), text);
    }
}

int hitTest(const Piece& piece, QPointF point) {
    const QTextLayout& text = *piece.text;
    const QPointF local = point - piece.origin;
    if (text.lineCount() == 0)
        return 0;
    if (local.y() < 0)
        return 0;
    for (int index = 0; index < text.lineCount(); ++index) {
        const QTextLine line = text.lineAt(index);
        if (local.y() < line.y() + line.height() + piece.lineSpacing)
            return line.xToCursor(local.x());
    }
    return static_cast<int>(text.text().size());
}

int pieceAt(const Layout& layout, QPointF point) {
    if (layout.pieces.empty())
        return -1;
    for (std::size_t piece = 0; piece < layout.pieces.size(); ++piece) {
        const QRectF& area = layout.pieces[piece].area;
        if (point.x() < area.right() && point.y() < area.bottom())
            return static_cast<int>(piece);
    }
    return static_cast<int>(layout.pieces.size()) - 1;
}

} // namespace MDRowLayout
