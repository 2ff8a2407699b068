#include "CmarkConversion.h"

#include "Markdown/CmarkCompat/TreeSurvey.h"

#include <cmark-gfm-core-extensions.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace Markdown {

namespace {

using CmarkCompat::CmarkDocument;

[[noreturn]] void fatal(std::string_view message) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
    std::abort();
}

enum class NodeKind {
    document,
    blockQuote,
    list,
    item,
    taskItem,
    codeBlock,
    htmlBlock,
    customBlock,
    paragraph,
    heading,
    thematicBreak,
    text,
    softBreak,
    lineBreak,
    code,
    htmlInline,
    customInline,
    emphasis,
    strong,
    link,
    image,
    attribute,
    strikethrough,
    table,
    tableHeader,
    tableRow,
    tableCell,
};

// The extensions' kinds get their type numbers when the extensions register; they are learned from
// their type strings the first time a parse meets them.
NodeKind extensionKind(cmark_node* node) {
    const std::string_view type = CmarkDocument::typeString(node);
    if (type == "strikethrough") {
        return NodeKind::strikethrough;
    }
    if (type == "table") {
        return NodeKind::table;
    }
    if (type == "table_header" || type == "table_row") {
        return NodeKind::tableRow;
    }
    if (type == "table_cell") {
        return NodeKind::tableCell;
    }
    fatal("Unknown cmark node type '" + std::string(type) + "' encountered during conversion");
}

// Core kinds are told apart by their type number; the attribute kind is a link underneath.
class NodeClassifier {
public:
    NodeKind classify(cmark_node* node, cmark_node_type type) {
        switch (type) {
        case CMARK_NODE_DOCUMENT:
            return NodeKind::document;
        case CMARK_NODE_BLOCK_QUOTE:
            return NodeKind::blockQuote;
        case CMARK_NODE_LIST:
            return NodeKind::list;
        case CMARK_NODE_ITEM:
            return std::string_view(cmark_node_get_type_string(node)) == "tasklist" ? NodeKind::taskItem
                                                                                    : NodeKind::item;
        case CMARK_NODE_CODE_BLOCK:
            return NodeKind::codeBlock;
        case CMARK_NODE_HTML_BLOCK:
            return NodeKind::htmlBlock;
        case CMARK_NODE_CUSTOM_BLOCK:
            return NodeKind::customBlock;
        case CMARK_NODE_PARAGRAPH:
            return NodeKind::paragraph;
        case CMARK_NODE_HEADING:
            return NodeKind::heading;
        case CMARK_NODE_THEMATIC_BREAK:
            return NodeKind::thematicBreak;
        case CMARK_NODE_TEXT:
            return NodeKind::text;
        case CMARK_NODE_SOFTBREAK:
            return NodeKind::softBreak;
        case CMARK_NODE_LINEBREAK:
            return NodeKind::lineBreak;
        case CMARK_NODE_CODE:
            return NodeKind::code;
        case CMARK_NODE_HTML_INLINE:
            return NodeKind::htmlInline;
        case CMARK_NODE_CUSTOM_INLINE:
            return NodeKind::customInline;
        case CMARK_NODE_EMPH:
            return NodeKind::emphasis;
        case CMARK_NODE_STRONG:
            return NodeKind::strong;
        case CMARK_NODE_LINK:
            return CmarkDocument::typeString(node) == CmarkCompat::kAttributeTypeString ? NodeKind::attribute
                                                                                        : NodeKind::link;
        case CMARK_NODE_IMAGE:
            return NodeKind::image;
        default:
            break;
        }
        NodeKind kind;
        if (const auto learned = std::find_if(learned_.begin(), learned_.end(),
                                              [type](const auto& entry) { return entry.first == type; });
            learned != learned_.end()) {
            kind = learned->second;
        } else {
            kind = extensionKind(node);
            learned_.emplace_back(type, kind);
        }
        if (kind == NodeKind::tableRow && cmark_gfm_extensions_get_table_row_is_header(node)) {
            return NodeKind::tableHeader;
        }
        return kind;
    }

private:
    std::vector<std::pair<cmark_node_type, NodeKind>> learned_;
};

std::string literalOf(cmark_node* node) {
    const char* literal = cmark_node_get_literal(node);
    if (!literal) {
        fatal("Expected literal content for cmark node but got null pointer");
    }
    return literal;
}

// An accessor that cmark-gfm always answers for its node; absence is a broken library.
const char* required(const char* value) {
    if (!value) {
        std::abort();
    }
    return value;
}

std::optional<std::string> nonEmpty(const char* value) {
    if (*required(value) == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<TableColumnAlignment> alignmentOf(std::uint8_t byte) {
    switch (byte) {
    case 'l':
        return TableColumnAlignment::left;
    case 'c':
        return TableColumnAlignment::center;
    case 'r':
        return TableColumnAlignment::right;
    case 0:
        return std::nullopt;
    default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(byte));
        fatal("Unexpected table column character for cmark table: " +
              std::string(1, static_cast<char>(byte)) + " (0x" + hex + ")");
    }
    }
}

void requireKinds(std::span<const RawMarkupRef> children, RawKind kind) {
    for (const RawMarkupRef& child : children) {
        if (child->kind() != kind) {
            std::abort();
        }
    }
}

class Converter {
public:
    Converter(const CmarkDocument& document, const std::optional<URL>& source, ParseOptions options,
              const FragmentPlacement* placement)
        : document_(document), source_(source), options_(options), placement_(placement) {}

    RawMarkupRef convert() {
        cmark_node* root = document_.root();
        if (!root || cmark_node_get_type(root) != CMARK_NODE_DOCUMENT) {
            std::abort();
        }
        const CmarkDocument::ReadScope reading(document_);
        cmark_iter* iterator = cmark_iter_new(root);
        cmark_event_type event;
        while ((event = cmark_iter_next(iterator)) != CMARK_EVENT_DONE) {
            cmark_node* node = cmark_iter_get_node(iterator);
            if (event == CMARK_EVENT_ENTER) {
                const cmark_node_type type = cmark_node_get_type(node);
                const NodeKind kind = classifier_.classify(node, type);
                if (CmarkCompat::isLeafType(type)) {
                    built_.push_back(leaf(node, kind));
                } else {
                    open_.push_back({node, kind, built_.size()});
                }
                continue;
            }
            if (event != CMARK_EVENT_EXIT || open_.empty() || open_.back().node != node) {
                std::abort();
            }
            const Frame frame = open_.back();
            open_.pop_back();
            RawMarkupRef made = container(frame);
            built_.resize(frame.firstChild);
            built_.push_back(std::move(made));
        }
        cmark_iter_free(iterator);
        if (!open_.empty() || built_.size() != 1 || built_.front()->kind() != RawKind::document) {
            fatal("cmark top-level conversion didn't produce a RawMarkup.document");
        }
        if (placement_ && cover_) {
            widen(placement_->covered.totalRange,
                  SourceRange(SourceLocation(cover_->startLine, cover_->startColumn, source_),
                              SourceLocation(cover_->endLine, cover_->endColumn, source_)));
        }
        return std::move(built_.front());
    }

private:
    struct Frame {
        cmark_node* node;
        NodeKind kind;
        std::size_t firstChild;
    };

    struct Bounds {
        std::int64_t startLine;
        std::int64_t startColumn;
        std::int64_t endLine;
        std::int64_t endColumn;
    };

    static bool before(std::int64_t line, std::int64_t column, std::int64_t otherLine,
                       std::int64_t otherColumn) {
        return line < otherLine || (line == otherLine && column < otherColumn);
    }

    // cmark positions are 1-based with an inclusive end; ours have an exclusive end. A code span's
    // position covers its content only: its backtick runs are added on both sides. The range goes
    // straight into the node's stored form: no location is built on the way. A fragment's range is
    // placed in the whole text here, and widens the cover of every range but the document's.
    StoredSourceRange rangeOf(cmark_node* node, int backticks = 0) {
        const CmarkCompat::NodePosition position = document_.position(node);
        if (position.startLine <= 0 || position.startColumn <= 0 || position.endLine <= 0 ||
            position.endColumn < 0) {
            return {};
        }
        Bounds bounds{position.startLine, std::int64_t{position.startColumn} - backticks, position.endLine,
                      std::int64_t{position.endColumn} + backticks + 1};
        if (before(bounds.endLine, bounds.endColumn, bounds.startLine, bounds.startColumn)) {
            return {};
        }
        if (placement_) {
            placement_->place(bounds.startLine, bounds.startColumn);
            placement_->place(bounds.endLine, bounds.endColumn);
            if (cmark_node_get_type(node) != CMARK_NODE_DOCUMENT) {
                cover(bounds);
            }
        }
        return StoredSourceRange(bounds.startLine, bounds.startColumn, bounds.endLine, bounds.endColumn,
                                 source_);
    }

    void cover(const Bounds& bounds) {
        if (!cover_) {
            cover_ = bounds;
            return;
        }
        if (before(bounds.startLine, bounds.startColumn, cover_->startLine, cover_->startColumn)) {
            cover_->startLine = bounds.startLine;
            cover_->startColumn = bounds.startColumn;
        }
        if (before(cover_->endLine, cover_->endColumn, bounds.endLine, bounds.endColumn)) {
            cover_->endLine = bounds.endLine;
            cover_->endColumn = bounds.endColumn;
        }
    }

    // A node in the parse's own blocks; its children are handed over.
    RawMarkupRef made(RawMarkupData data, StoredSourceRange range, std::span<RawMarkupRef> children = {}) {
        return RawMarkup::createAdopting(std::move(data), std::move(range), children, &blocks_);
    }

    RawMarkupRef leaf(cmark_node* node, NodeKind kind) {
        switch (kind) {
        case NodeKind::codeBlock:
            return made(RawMarkupData::codeBlock(literalOf(node), nonEmpty(cmark_node_get_fence_info(node))),
                        rangeOf(node));
        case NodeKind::htmlBlock:
            return made(RawMarkupData::htmlBlock(literalOf(node)), rangeOf(node));
        case NodeKind::thematicBreak:
            return made(RawMarkupData::withoutPayload(RawKind::thematicBreak), rangeOf(node));
        case NodeKind::text:
            return made(RawMarkupData::text(literalOf(node)), rangeOf(node));
        case NodeKind::softBreak:
            return made(RawMarkupData::withoutPayload(RawKind::softBreak), rangeOf(node));
        case NodeKind::lineBreak:
            return made(RawMarkupData::withoutPayload(RawKind::lineBreak), rangeOf(node));
        case NodeKind::code: {
            const int backticks = document_.backtickCount(node);
            if (options_.contains(ParseOptions::parseSymbolLinks) && backticks > 1) {
                return made(RawMarkupData::symbolLink(literalOf(node)), rangeOf(node, backticks));
            }
            return made(RawMarkupData::inlineCode(literalOf(node)), rangeOf(node, backticks));
        }
        case NodeKind::htmlInline:
            return made(RawMarkupData::inlineHTML(literalOf(node)), rangeOf(node));
        default:
            std::abort(); // cmark-gfm gives every other kind an exit event
        }
    }

    RawMarkupRef container(const Frame& frame) {
        cmark_node* node = frame.node;
        // The children are handed over: the stack drops them right after.
        const std::span<RawMarkupRef> children(built_.data() + frame.firstChild,
                                               built_.size() - frame.firstChild);
        auto make = [&](RawMarkupData data) {
            return made(std::move(data), rangeOf(node), children);
        };
        auto plain = [&](RawKind kind) {
            return make(RawMarkupData::withoutPayload(kind));
        };
        switch (frame.kind) {
        case NodeKind::document:
            return plain(RawKind::document);
        case NodeKind::blockQuote:
            return plain(RawKind::blockQuote);
        case NodeKind::list:
            return list(node, children);
        case NodeKind::item:
            return make(RawMarkupData::listItem(std::nullopt));
        case NodeKind::taskItem:
            return make(RawMarkupData::listItem(cmark_gfm_extensions_get_tasklist_item_checked(node)
                                                    ? Checkbox::checked
                                                    : Checkbox::unchecked));
        case NodeKind::customBlock:
            return plain(RawKind::customBlock);
        case NodeKind::paragraph:
            return plain(RawKind::paragraph);
        case NodeKind::heading:
            return make(RawMarkupData::heading(cmark_node_get_heading_level(node)));
        case NodeKind::customInline:
            return make(RawMarkupData::customInline(literalOf(node)));
        case NodeKind::emphasis:
            return plain(RawKind::emphasis);
        case NodeKind::strong:
            return plain(RawKind::strong);
        case NodeKind::link:
            return make(RawMarkupData::link(nonEmpty(cmark_node_get_url(node)),
                                            nonEmpty(cmark_node_get_title(node))));
        case NodeKind::image:
            return make(RawMarkupData::image(nonEmpty(cmark_node_get_url(node)),
                                             nonEmpty(cmark_node_get_title(node))));
        case NodeKind::attribute:
            return make(RawMarkupData::inlineAttributes(required(document_.attributes(node))));
        case NodeKind::strikethrough:
            return plain(RawKind::strikethrough);
        case NodeKind::table:
            return table(node, children);
        case NodeKind::tableHeader:
            requireKinds(children, RawKind::tableCell);
            return plain(RawKind::tableHead);
        case NodeKind::tableRow:
            requireKinds(children, RawKind::tableCell);
            return plain(RawKind::tableRow);
        case NodeKind::tableCell:
            return make(
                RawMarkupData::tableCell(static_cast<std::uint32_t>(document_.tableCellColspan(node)),
                                         static_cast<std::uint32_t>(document_.tableCellRowspan(node))));
        default:
            std::abort(); // leaves never reach an exit event
        }
    }

    RawMarkupRef list(cmark_node* node, std::span<RawMarkupRef> items) {
        for (const RawMarkupRef& item : items) {
            if (item->kind() != RawKind::listItem) {
                fatal("Converted cmark list had a node other than RawMarkup.listItem");
            }
        }
        switch (cmark_node_get_list_type(node)) {
        case CMARK_ORDERED_LIST: {
            const int start = cmark_node_get_list_start(node);
            if (start < 0) {
                std::abort();
            }
            return made(RawMarkupData::orderedList(static_cast<std::uint64_t>(start)), rangeOf(node), items);
        }
        case CMARK_BULLET_LIST:
            return made(RawMarkupData::withoutPayload(RawKind::unorderedList), rangeOf(node), items);
        default:
            fatal("cmark reported a list node but said its list type is CMARK_NO_LIST?");
        }
    }

    // The header row becomes the head; the other rows form the body, which runs from the first body
    // row's start to the table's end.
    RawMarkupRef table(cmark_node* node, std::span<RawMarkupRef> rows) {
        const std::optional<SourceRange> range = rangeOf(node).get();
        const std::uint16_t columns = cmark_gfm_extensions_get_table_columns(node);
        const std::uint8_t* alignmentBytes = cmark_gfm_extensions_get_table_alignments(node);
        if (!alignmentBytes && columns > 0) {
            std::abort();
        }
        std::vector<std::optional<TableColumnAlignment>> alignments;
        alignments.reserve(columns);
        for (std::uint16_t column = 0; column < columns; ++column) {
            alignments.push_back(alignmentOf(alignmentBytes[column]));
        }

        RawMarkupRef parts[2]; // head and body
        RawMarkupRef& head = parts[0];
        if (!rows.empty() && rows.front()->kind() == RawKind::tableHead) {
            head = std::move(rows.front());
            rows = rows.subspan(1);
        } else {
            head = made(RawMarkupData::withoutPayload(RawKind::tableHead), StoredSourceRange());
        }
        requireKinds(rows, RawKind::tableRow);
        std::optional<SourceRange> bodyRange;
        if (!rows.empty()) {
            bodyRange = rows.front()->parsedRange();
            if (bodyRange && range && !(range->end() < bodyRange->start())) {
                bodyRange = SourceRange(bodyRange->start(), range->end());
            }
        }
        parts[1] =
            made(RawMarkupData::withoutPayload(RawKind::tableBody), StoredSourceRange(bodyRange), rows);
        return made(RawMarkupData::table(std::move(alignments)), StoredSourceRange(range), parts);
    }

    const CmarkDocument& document_;
    const std::optional<URL>& source_;
    ParseOptions options_;
    const FragmentPlacement* placement_;
    std::optional<Bounds> cover_; // of the placed ranges
    NodeClassifier classifier_;
    RawNodeBlocks blocks_;
    std::vector<Frame> open_;
    std::vector<RawMarkupRef> built_;
};

} // namespace

RawMarkupRef convertCmarkTree(const CmarkDocument& document, const std::optional<URL>& source,
                              ParseOptions options, const FragmentPlacement* placement) {
    return Converter(document, source, options, placement).convert();
}

RawMarkupRef parseIntoRawTree(std::string_view text, const std::optional<URL>& source, ParseOptions options,
                              const FragmentPlacement* placement) {
    CmarkCompat::ParseSettings settings;
    settings.smartPunctuation = !options.contains(ParseOptions::disableSmartOpts);
    settings.sourcePositions = !options.contains(ParseOptions::disableSourcePosOpts);
    settings.tableCellSpans = true;
    return convertCmarkTree(CmarkDocument::parse(text, settings), source, options, placement);
}

} // namespace Markdown
