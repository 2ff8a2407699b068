#include "MDBlockView.h"

#include "../PreviewPresentation.h"

#include <Markdown/Markdown.h>

#include <QCoreApplication>

#include <algorithm>

namespace MDBlockView {

namespace {

using Markdown::RawKind;
using Markdown::RawMarkup;
using Markdown::RawMarkupRef;
using MDInlineText::StyledText;

// Line spacing of the preview's text: the gap between the rows of one text cut into several.
constexpr int kLineSpacing = 3;
// How many body rows decide the widths of a table's columns, and the longest cell text counted.
constexpr int kMeasuredTableRows = 200;
constexpr qsizetype kWidestCellCount = 40;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString printed(const RawMarkupRef& node) {
    const Markdown::Markup element(Markdown::MarkupData::newRoot(node));
    return fromUtf8(element.format(Markdown::MarkupFormatterOptions::defaultOptions())).trimmed();
}

// Where a text of `size` characters is cut after `from`: after the last white space of the next
// kRowCharacters characters when there is one in their second half, else at their end, never
// inside a surrogate pair.
qsizetype cutAfter(const QString& text, qsizetype from) {
    qsizetype end = from + kRowCharacters;
    if (end >= text.size())
        return text.size();
    for (qsizetype at = end - 1; at > from + kRowCharacters / 2; --at) {
        if (text.at(at).isSpace())
            return at + 1;
    }
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return end;
}

class Builder {
public:
    Model model;

    void walk(std::span<const RawMarkupRef> blocks) {
        m_stack.push_back(Frame{Frame::Root, blocks, 0, 0, kBlockSpacing});
        while (!m_stack.empty()) {
            Frame& frame = m_stack.back();
            if (frame.next == frame.children.size()) {
                close();
                continue;
            }
            place(frame.children[frame.next++], m_stack.size() - 1);
        }
    }

    void plainText(const QString& text) { addText(StyledText{text, {}}, Role::Plain, 0); }

private:
    struct Frame {
        enum Type { Root, List, Item, Quote };
        Type type;
        std::span<const RawMarkupRef> children;
        std::size_t next = 0;
        int indent = 0;
        int spacing = 0;
        bool placedChild = false;
        bool ordered = false;
        int barX = 0;
        int spacingAtOpen = 0;
        bool barStarted = false;
        std::size_t rowsAtOpen = 0;
    };

    int nesting() const {
        return static_cast<int>(std::count_if(m_stack.begin(), m_stack.end(), [](const Frame& frame) {
            return frame.type == Frame::List || frame.type == Frame::Quote;
        }));
    }

    void close() {
        const Frame frame = m_stack.back();
        m_stack.pop_back();
        if (frame.type == Frame::Quote)
            m_spacing += kQuoteVerticalPadding;
        // An empty item still shows its marker.
        if (frame.type == Frame::Item && model.rows.size() == frame.rowsAtOpen) {
            Row row;
            row.indent = frame.indent;
            addRow(std::move(row));
        }
    }

    void place(const RawMarkupRef& ref, std::size_t parentIndex) {
        const RawMarkup& node = *ref;
        const RawKind kind = node.kind();
        const bool isList = kind == RawKind::unorderedList || kind == RawKind::orderedList;
        const bool isContainer = isList || kind == RawKind::blockQuote;
        const bool isItem = kind == RawKind::listItem && m_stack[parentIndex].type == Frame::List;

        // What has no drawing of its own is printed back; when that prints nothing, nothing shows.
        QString source;
        const bool tooDeep = isContainer && nesting() >= kMaxNesting;
        if (tooDeep || !(isItem || isContainer || hasDrawing(kind))) {
            source = printed(ref);
            if (source.isEmpty())
                return;
        }
        if (kind == RawKind::htmlBlock) {
            source = fromUtf8(node.data().stringPayload().value).trimmed();
            if (source.isEmpty())
                return;
        }

        Frame& parent = m_stack[parentIndex];
        if (parent.placedChild)
            m_spacing += parent.spacing;
        parent.placedChild = true;
        const int indent = parent.indent;

        if (!source.isEmpty()) {
            addText(StyledText{source, {}}, kind == RawKind::htmlBlock ? Role::Html : Role::Source, 0,
                    indent);
            return;
        }
        switch (kind) {
        case RawKind::heading: {
            const int level = static_cast<int>(node.data().headingPayload().level);
            m_spacing += level == 1 ? 4 : 2;
            addText(MDInlineText::render(node), Role::Heading, level, indent);
            break;
        }
        case RawKind::paragraph:
            addText(MDInlineText::render(node), Role::Body, 0, indent);
            break;
        case RawKind::codeBlock:
            addCode(node, indent);
            break;
        case RawKind::unorderedList:
        case RawKind::orderedList: {
            Frame list{Frame::List, node.children(), 0, indent, kListSpacing};
            if (parent.type == Frame::Item)
                list.indent += kNestedListIndent;
            list.ordered = kind == RawKind::orderedList;
            m_stack.push_back(list);
            break;
        }
        case RawKind::listItem: {
            const int position = static_cast<int>(parent.next - 1);
            Marker marker;
            marker.x = indent;
            const auto checkbox = node.data().listItemPayload().checkbox;
            if (parent.ordered) {
                marker.kind = Marker::Kind::Number;
                marker.number = position + 1;
                marker.width = kOrderedMarkerWidth;
            } else if (checkbox) {
                marker.kind = *checkbox == Markdown::Checkbox::checked ? Marker::Kind::Checked
                                                                       : Marker::Kind::Unchecked;
                marker.width = kCheckboxMarkerWidth;
            } else {
                marker.width = kBulletMarkerWidth;
            }
            m_markers.push_back(marker);
            Frame item{Frame::Item, node.children(), 0, indent + marker.width + kItemMarkerSpacing,
                       kListSpacing};
            item.rowsAtOpen = model.rows.size();
            m_stack.push_back(item);
            break;
        }
        case RawKind::blockQuote: {
            m_spacing += kQuoteVerticalPadding;
            Frame quote{Frame::Quote, node.children(), 0,
                        indent + kQuoteLeadingPadding + kQuoteBarWidth + kQuoteBarSpacing, kQuoteSpacing};
            quote.barX = indent + kQuoteLeadingPadding;
            quote.spacingAtOpen = m_spacing;
            m_stack.push_back(quote);
            break;
        }
        case RawKind::table:
            addTable(ref, indent);
            break;
        case RawKind::thematicBreak: {
            Row row;
            row.kind = Kind::Rule;
            row.indent = indent;
            addRow(std::move(row));
            break;
        }
        case RawKind::image:
            addImage(node, indent);
            break;
        default:
            break;
        }
    }

    static bool hasDrawing(RawKind kind) {
        switch (kind) {
        case RawKind::heading:
        case RawKind::paragraph:
        case RawKind::codeBlock:
        case RawKind::table:
        case RawKind::thematicBreak:
        case RawKind::image:
        case RawKind::htmlBlock:
            return true;
        default:
            return false;
        }
    }

    Row& addRow(Row row) {
        row.spacingAbove = m_spacing;
        row.lineBreaks = static_cast<int>(row.text.text.count(u'\n'));
        m_spacing = 0;
        for (Frame& frame : m_stack) {
            if (frame.type != Frame::Quote)
                continue;
            row.bars.push_back(
                {frame.barX, frame.barStarted ? row.spacingAbove : row.spacingAbove - frame.spacingAtOpen});
            frame.barStarted = true;
        }
        row.markers = std::move(m_markers);
        m_markers.clear();
        model.rows.push_back(std::move(row));
        return model.rows.back();
    }

    void addText(const StyledText& text, Role role, int level, int indent = 0) {
        std::shared_ptr<const StyledText> whole;
        if (text.text.size() > kRowCharacters)
            whole = std::make_shared<const StyledText>(text);
        qsizetype from = 0;
        do {
            const qsizetype to = cutAfter(text.text, from);
            Row row;
            row.role = role;
            row.headingLevel = level;
            row.indent = indent;
            row.continuation = from > 0;
            row.first = from == 0;
            row.last = to == text.text.size();
            if (from > 0)
                m_spacing += kLineSpacing;
            row.text = from == 0 && row.last ? text : text.slice(from, to - from);
            row.whole = whole;
            row.offset = from;
            addRow(std::move(row));
            from = to;
        } while (from < text.text.size());
    }

    void addCode(const RawMarkup& node, int indent) {
        const Markdown::CodeBlockPayload& payload = node.data().codeBlockPayload();
        CodeBlock block;
        block.code = fromUtf8(payload.code);
        if (block.code.endsWith(u'\n'))
            block.code.chop(1);
        if (payload.language)
            block.language = fromUtf8(*payload.language);
        const int index = static_cast<int>(model.codeBlocks.size());
        const int firstRow = static_cast<int>(model.rows.size());
        const QString& code = block.code;
        qsizetype from = 0;
        bool cutInsideLine = false;
        do {
            // Up to kCodeLines lines, and no more than twice a text row's characters.
            qsizetype to = from;
            int lines = 0;
            bool insideLine = false;
            while (true) {
                const qsizetype lineEnd = code.indexOf(u'\n', to);
                const qsizetype end = lineEnd < 0 ? code.size() : lineEnd;
                if (end - from > 2 * kRowCharacters) {
                    if (lines > 0) {
                        // Ends before this line, at the line feed of the one before.
                        --to;
                        break;
                    }
                    to = from + 2 * kRowCharacters;
                    if (code.at(to - 1).isHighSurrogate())
                        --to;
                    insideLine = true;
                    break;
                }
                to = end;
                if (++lines == kCodeLines || lineEnd < 0)
                    break;
                to = end + 1;
            }
            Row row;
            row.kind = Kind::Code;
            row.indent = indent;
            row.block = index;
            row.offset = from;
            row.first = from == 0;
            row.continuation = cutInsideLine;
            row.text.text = code.mid(from, to - from);
            // The next row starts after the line feed that ends this one, unless cut inside a line.
            from = insideLine ? to : to + 1;
            row.last = from >= code.size();
            addRow(std::move(row));
            cutInsideLine = insideLine;
        } while (from < code.size());
        model.codeBlocks.push_back(std::move(block));
        model.codeRows.emplace_back(firstRow, static_cast<int>(model.rows.size()) - 1);
    }

    void addTable(const RawMarkupRef& ref, int indent) {
        const RawMarkup& node = *ref;
        std::vector<const RawMarkup*> rows;
        if (node.childCount() > 0)
            rows.push_back(node.child(0).get());
        if (node.childCount() > 1) {
            for (const RawMarkupRef& row : node.child(1)->children())
                rows.push_back(row.get());
        }
        std::int64_t columns = 0;
        for (const RawMarkup* row : rows)
            columns = std::max(columns, row->childCount());
        if (columns == 0 || columns > kMaxTableColumns) {
            const QString source = printed(ref);
            if (!source.isEmpty())
                addText(StyledText{source, {}}, Role::Source, 0, indent);
            return;
        }
        Table table;
        table.columns = static_cast<int>(columns);
        table.weights.assign(static_cast<std::size_t>(columns), 3);
        const int index = static_cast<int>(model.tables.size());
        for (std::size_t position = 0; position < rows.size(); ++position) {
            Row row;
            row.kind = Kind::TableRow;
            row.indent = indent;
            row.block = index;
            row.offset = static_cast<qsizetype>(position);
            row.first = position == 0;
            row.last = position + 1 == rows.size();
            for (const RawMarkupRef& cell : rows[position]->children()) {
                row.cells.push_back(MDInlineText::render(*cell));
                if (position <= kMeasuredTableRows) {
                    qreal& weight = table.weights[row.cells.size() - 1];
                    weight = std::max(
                        weight, static_cast<qreal>(std::min(row.cells.back().text.size(), kWidestCellCount)));
                }
            }
            addRow(std::move(row));
        }
        model.tables.push_back(std::move(table));
    }

    void addImage(const RawMarkup& node, int indent) {
        const Markdown::LinkPayload& payload = node.data().linkPayload();
        Row row;
        row.kind = Kind::Image;
        row.indent = indent;
        row.block = static_cast<int>(model.images.size());
        model.images.push_back({payload.destination ? fromUtf8(*payload.destination) : QString()});
        // The caption: the title, else the text written directly in the image.
        QString caption = payload.title ? fromUtf8(*payload.title) : QString();
        if (caption.isEmpty()) {
            for (const RawMarkupRef& child : node.children()) {
                if (child->kind() == RawKind::text)
                    caption += fromUtf8(child->data().stringPayload().value);
            }
        }
        row.text.text = caption;
        model.imageRows.push_back(static_cast<int>(model.rows.size()));
        addRow(std::move(row));
    }

    std::vector<Frame> m_stack;
    std::vector<Marker> m_markers;
    int m_spacing = 0;
};

} // namespace

Model build(const Markdown::Markup& document) {
    Builder builder;
    builder.walk(document.data().node().children());
    return std::move(builder.model);
}

Model buildBlocks(std::span<const Markdown::Markup> blocks) {
    std::vector<RawMarkupRef> nodes;
    nodes.reserve(blocks.size());
    for (const Markdown::Markup& block : blocks)
        nodes.push_back(block.data().raw().markup);
    Builder builder;
    builder.walk(nodes);
    return std::move(builder.model);
}

Model plain(const QString& source, qsizetype limit) {
    Builder builder;
    builder.plainText(PreviewPresentation::withPlainLineBreaks(PreviewPresentation::capped(source, limit)));
    return std::move(builder.model);
}

qsizetype leadingBlocksEnd(const QString& text, qsizetype atLeast) {
    enum class Open { None, Fence, Html };
    Open open = Open::None;
    QChar fence;
    qsizetype fenceLength = 0;
    QString htmlEnd;
    bool previousBlank = false;
    const qsizetype limit = std::min(text.size(), atLeast * 4);
    for (qsizetype start = 0; start < limit;) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).sliced(start, end - start);
        if (start >= atLeast && open == Open::None && previousBlank && !line.isEmpty() &&
            !line.front().isSpace())
            return start;
        qsizetype indent = 0;
        while (indent < line.size() && line[indent] == u' ')
            ++indent;
        const QStringView body = line.sliced(indent);
        qsizetype run = 0;
        while (run < body.size() && (body[run] == u'`' || body[run] == u'~') && body[run] == body.front())
            ++run;
        if (open == Open::Fence) {
            if (indent < 4 && run >= fenceLength && body.front() == fence &&
                body.sliced(run).trimmed().isEmpty())
                open = Open::None;
        } else if (open == Open::Html) {
            if (line.contains(htmlEnd, Qt::CaseInsensitive))
                open = Open::None;
        } else if (indent < 4 && run >= 3) {
            open = Open::Fence;
            fence = body.front();
            fenceLength = run;
        } else if (indent < 4 && body.startsWith(u'<')) {
            // The HTML blocks that end at a marker of their own rather than at a blank line.
            static const std::pair<const char16_t*, const char16_t*> kinds[] = {
                {u"<!--", u"-->"},
                {u"<?", u"?>"},
                {u"<![CDATA[", u"]]>"},
                {u"<script", u"</script>"},
                {u"<pre", u"</pre>"},
                {u"<style", u"</style>"},
                {u"<textarea", u"</textarea>"}};
            for (const auto& [opening, closing] : kinds) {
                if (body.startsWith(QStringView(opening), Qt::CaseInsensitive)) {
                    htmlEnd = QString::fromUtf16(closing);
                    if (!body.sliced(QStringView(opening).size()).contains(htmlEnd, Qt::CaseInsensitive))
                        open = Open::Html;
                    break;
                }
            }
        }
        previousBlank = line.trimmed().isEmpty();
        start = end + 1;
    }
    return -1;
}

std::size_t sameLeadingRows(const Model& part, const Model& whole) {
    const auto cellTexts = [](const Row& row) {
        QStringList texts;
        for (const StyledText& cell : row.cells)
            texts.append(cell.text);
        return texts;
    };
    const auto sameMarkers = [](const Row& a, const Row& b) {
        return std::equal(a.markers.begin(), a.markers.end(), b.markers.begin(), b.markers.end(),
                          [](const Marker& x, const Marker& y) {
                              return x.kind == y.kind && x.number == y.number && x.x == y.x &&
                                     x.width == y.width;
                          });
    };
    const auto sameBars = [](const Row& a, const Row& b) {
        return std::equal(
            a.bars.begin(), a.bars.end(), b.bars.begin(), b.bars.end(),
            [](const QuoteBar& x, const QuoteBar& y) { return x.x == y.x && x.reachUp == y.reachUp; });
    };
    // The last row of the part may be cut short, so it never counts.
    const std::size_t count = std::min(part.rows.size() > 0 ? part.rows.size() - 1 : 0, whole.rows.size());
    std::size_t same = 0;
    for (; same < count; ++same) {
        const Row& a = part.rows[same];
        const Row& b = whole.rows[same];
        const bool equal = a.kind == b.kind && a.role == b.role && a.headingLevel == b.headingLevel &&
                           a.spacingAbove == b.spacingAbove && a.indent == b.indent &&
                           a.continuation == b.continuation && a.first == b.first && a.last == b.last &&
                           a.block == b.block && a.offset == b.offset && a.text.text == b.text.text &&
                           (a.whole ? a.whole->text.size() : -1) == (b.whole ? b.whole->text.size() : -1) &&
                           a.text.runs.size() == b.text.runs.size() && sameMarkers(a, b) && sameBars(a, b) &&
                           cellTexts(a) == cellTexts(b);
        if (!equal)
            break;
    }
    return same;
}

QString copiedText(const Row& row) {
    if (row.kind != Kind::TableRow)
        return row.text.text;
    QStringList cells;
    for (const StyledText& cell : row.cells)
        cells.append(cell.text);
    return cells.join(u'\t');
}

} // namespace MDBlockView
