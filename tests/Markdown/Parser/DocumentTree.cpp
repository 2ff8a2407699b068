#include "DocumentTree.h"

#include <cstdio>
#include <string>

namespace Markdown::Testing {

namespace {

std::string sourcepos(const Markup& markup) {
    const std::optional<SourceRange>& range = markup.range();
    if (!range) {
        return {};
    }
    return std::to_string(range->start().line()) + ":" + std::to_string(range->start().column()) + "-" +
           std::to_string(range->end().line()) + ":" + std::to_string(range->end().column() - 1);
}

const char* alignmentName(const std::optional<TableColumnAlignment>& alignment) {
    if (!alignment) {
        return "";
    }
    switch (*alignment) {
    case TableColumnAlignment::left:
        return "left";
    case TableColumnAlignment::center:
        return "center";
    case TableColumnAlignment::right:
        return "right";
    }
    return "";
}

const char* kindName(RawKind kind) {
    switch (kind) {
    case RawKind::document:
        return "document";
    case RawKind::blockQuote:
        return "block_quote";
    case RawKind::orderedList:
    case RawKind::unorderedList:
        return "list";
    case RawKind::listItem:
        return "item";
    case RawKind::codeBlock:
        return "code_block";
    case RawKind::htmlBlock:
        return "html_block";
    case RawKind::customBlock:
        return "custom_block";
    case RawKind::paragraph:
        return "paragraph";
    case RawKind::heading:
        return "heading";
    case RawKind::thematicBreak:
        return "thematic_break";
    case RawKind::text:
        return "text";
    case RawKind::softBreak:
        return "softbreak";
    case RawKind::lineBreak:
        return "linebreak";
    case RawKind::inlineCode:
        return "code";
    case RawKind::inlineHTML:
        return "html_inline";
    case RawKind::customInline:
        return "custom_inline";
    case RawKind::emphasis:
        return "emph";
    case RawKind::strong:
        return "strong";
    case RawKind::link:
        return "link";
    case RawKind::image:
        return "image";
    case RawKind::strikethrough:
        return "strikethrough";
    case RawKind::table:
        return "table";
    case RawKind::tableHead:
        return "table_header";
    case RawKind::tableRow:
        return "table_row";
    case RawKind::tableCell:
        return "table_cell";
    case RawKind::inlineAttributes:
        return "attribute";
    default:
        return "unexpected";
    }
}

void put(ComparableNode& node, const char* name, const std::string& value) {
    if (!value.empty()) {
        node.payload[name] = value;
    }
}

ComparableNode convert(const Markup& markup,
                       const std::vector<std::optional<TableColumnAlignment>>* alignments, bool inHead) {
    ComparableNode node;
    node.kind = kindName(markup.kind());
    node.sourcepos = sourcepos(markup);
    const RawMarkupData& data = markup.data().node().data();
    switch (markup.kind()) {
    case RawKind::text:
    case RawKind::inlineCode:
    case RawKind::inlineHTML:
    case RawKind::htmlBlock:
    case RawKind::customInline:
        node.literal = data.stringPayload().value;
        break;
    case RawKind::codeBlock:
        node.literal = data.codeBlockPayload().code;
        put(node, "info", data.codeBlockPayload().language.value_or(""));
        break;
    case RawKind::heading:
        put(node, "level", std::to_string(data.headingPayload().level));
        break;
    case RawKind::orderedList:
        put(node, "type", "ordered");
        put(node, "start", std::to_string(data.orderedListPayload().startIndex));
        break;
    case RawKind::unorderedList:
        put(node, "type", "bullet");
        break;
    case RawKind::listItem:
        if (const std::optional<Checkbox>& checkbox = data.listItemPayload().checkbox) {
            node.kind = "tasklist";
            put(node, "completed", *checkbox == Checkbox::checked ? "true" : "false");
        }
        break;
    case RawKind::link:
    case RawKind::image:
        put(node, "destination", data.linkPayload().destination.value_or(""));
        put(node, "title", data.linkPayload().title.value_or(""));
        break;
    case RawKind::tableCell:
        if (inHead && alignments && markup.indexInParent() < static_cast<std::int64_t>(alignments->size())) {
            put(node, "align",
                alignmentName((*alignments)[static_cast<std::size_t>(markup.indexInParent())]));
        }
        break;
    default:
        break;
    }
    if (markup.kind() == RawKind::table) {
        const auto& tableAlignments = data.tablePayload().columnAlignments;
        for (const Markup& part : markup.children()) {
            if (part.kind() == RawKind::tableHead) {
                node.children.push_back(convert(part, &tableAlignments, true));
            } else {
                for (const Markup& row : part.children()) {
                    node.children.push_back(convert(row, &tableAlignments, false));
                }
            }
        }
        return node;
    }
    for (const Markup& child : markup.children()) {
        node.children.push_back(convert(child, alignments, inHead));
    }
    return node;
}

struct Position {
    int startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
};

bool parse(const std::string& text, Position& position) {
    return std::sscanf(text.c_str(), "%d:%d-%d:%d", &position.startLine, &position.startColumn,
                       &position.endLine, &position.endColumn) == 4;
}

} // namespace

ComparableNode comparableTreeFromDocument(const Markup& root) {
    return convert(root, nullptr, false);
}

void dropUnknownPositions(ComparableNode& node) {
    Position position;
    if (parse(node.sourcepos, position)) {
        const bool unknown = position.startLine <= 0 || position.startColumn <= 0 || position.endLine <= 0 ||
                             position.endColumn < 0;
        const bool reversed =
            position.endLine < position.startLine ||
            (position.endLine == position.startLine && position.endColumn + 1 < position.startColumn);
        if (unknown || reversed) {
            node.sourcepos.clear();
        }
    }
    for (ComparableNode& child : node.children) {
        dropUnknownPositions(child);
    }
}

void matchCodeSpans(const ComparableNode& expected, ComparableNode& actual,
                    std::vector<WidenedCodeSpan>& spans) {
    if (expected.kind == "code" && actual.kind == "code") {
        Position want;
        Position got;
        if (parse(expected.sourcepos, want) && parse(actual.sourcepos, got) &&
            want.startLine == got.startLine && want.endLine == got.endLine) {
            const int backticks = want.startColumn - got.startColumn;
            if (backticks >= 1 && got.endColumn - want.endColumn == backticks) {
                spans.push_back({got.startLine, got.startColumn, got.endLine, got.endColumn, backticks});
                actual.sourcepos = expected.sourcepos;
            }
        }
        return;
    }
    for (std::size_t i = 0; i < expected.children.size() && i < actual.children.size(); ++i) {
        matchCodeSpans(expected.children[i], actual.children[i], spans);
    }
}

} // namespace Markdown::Testing
