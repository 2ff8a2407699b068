#pragma once

// Raw nodes: the immutable, shared storage under every document tree.
//
// Building raw nodes (what the parser and the element types use):
//
//     RawMarkupRef text = RawMarkup::create(RawMarkupData::text("Hello"), range, {});
//     RawMarkupRef para = RawMarkup::create(RawMarkupData::withoutPayload(RawKind::paragraph), range,
//     {text}); Document
//     doc(MarkupData::newRoot(RawMarkup::create(RawMarkupData::withoutPayload(RawKind::document),
//                                                        range, {para})));
//
// * `RawMarkupData` is the node's kind plus its payload. Kinds with a payload have a named factory
//   (`codeBlock`, `heading`, `htmlBlock`, `listItem`, `orderedList`, `blockDirective`, `inlineCode`,
//   `customInline`, `image`, `inlineHTML`, `link`, `text`, `symbolLink`, `inlineAttributes`, `table`,
//   `tableCell`, `doxygenParam`); the 18 kinds without one use `withoutPayload(kind)`, which throws
//   std::invalid_argument for a kind that needs a payload.
// * `RawMarkup::create(data, parsedRange, children)` makes the node in one allocation, children in document
//   order; `parsedRange` is optional. The node never changes afterwards and may be shared by any number of
//   parents and threads.
// * `RawMarkupRef` is the reference-counted handle. Releasing the last handle of a tree frees it without
//   recursion, however deep the tree is.
// * Nothing here checks which kinds may be children of which: the element types do that.

#include "Markdown/Base/PayloadValues.h"
#include "Markdown/Infrastructure/DirectiveArgumentText.h"
#include "Markdown/Infrastructure/SourceLocation.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Markdown {

/// The 35 node kinds, numbered 0 to 34: first the 17 that carry a payload, then the 18 that carry none.
enum class RawKind : std::uint8_t {
    codeBlock,
    heading,
    htmlBlock,
    listItem,
    orderedList,
    blockDirective,
    inlineCode,
    customInline,
    image,
    inlineHTML,
    link,
    text,
    symbolLink,
    inlineAttributes,
    table,
    tableCell,
    doxygenParam,
    blockQuote,
    customBlock,
    document,
    thematicBreak,
    unorderedList,
    paragraph,
    emphasis,
    lineBreak,
    softBreak,
    strong,
    strikethrough,
    tableHead,
    tableBody,
    tableRow,
    doxygenDiscussion,
    doxygenNote,
    doxygenAbstract,
    doxygenReturns,
};

inline constexpr int rawKindCount = 35;

/// The kind's name as written above ("codeBlock", "tableCell").
std::string_view rawKindName(RawKind kind);

/// Payload of `codeBlock`.
struct CodeBlockPayload {
    std::string code;
    std::optional<std::string> language;
};
/// Payload of `heading`.
struct HeadingPayload {
    std::int64_t level;
};
/// Payload of the kinds that carry one string: `htmlBlock`, `inlineCode`, `customInline`, `inlineHTML`,
/// `text`, `inlineAttributes`, `doxygenParam`.
struct StringPayload {
    std::string value;
};
/// Payload of `listItem`.
struct ListItemPayload {
    std::optional<Checkbox> checkbox;
};
/// Payload of `orderedList`.
struct OrderedListPayload {
    std::uint64_t startIndex;
};
/// Payload of `blockDirective`.
struct BlockDirectivePayload {
    std::string name;
    std::optional<SourceLocation> nameLocation;
    DirectiveArgumentText arguments;
};
/// Payload of `link` (destination, title) and `image` (source, title).
struct LinkPayload {
    std::optional<std::string> destination;
    std::optional<std::string> title;
};
/// Payload of `symbolLink`.
struct SymbolLinkPayload {
    std::optional<std::string> destination;
};
/// Payload of `table`.
struct TablePayload {
    std::vector<std::optional<TableColumnAlignment>> columnAlignments;
};
/// Payload of `tableCell`.
struct TableCellPayload {
    std::uint64_t colspan;
    std::uint64_t rowspan;
};

/// A node's kind with the kind's payload. Equal when the kinds match and every payload field is equal;
/// strings compare under Unicode canonical equivalence.
class RawMarkupData {
public:
    static RawMarkupData codeBlock(std::string code, std::optional<std::string> language);
    static RawMarkupData heading(std::int64_t level);
    static RawMarkupData htmlBlock(std::string rawHTML);
    static RawMarkupData listItem(std::optional<Checkbox> checkbox);
    static RawMarkupData orderedList(std::uint64_t startIndex);
    static RawMarkupData blockDirective(std::string name, std::optional<SourceLocation> nameLocation,
                                        DirectiveArgumentText arguments);
    static RawMarkupData inlineCode(std::string code);
    static RawMarkupData customInline(std::string text);
    static RawMarkupData image(std::optional<std::string> source, std::optional<std::string> title);
    static RawMarkupData inlineHTML(std::string rawHTML);
    static RawMarkupData link(std::optional<std::string> destination, std::optional<std::string> title);
    static RawMarkupData text(std::string text);
    static RawMarkupData symbolLink(std::optional<std::string> destination);
    static RawMarkupData inlineAttributes(std::string attributes);
    static RawMarkupData table(std::vector<std::optional<TableColumnAlignment>> columnAlignments);
    static RawMarkupData tableCell(std::uint64_t colspan, std::uint64_t rowspan);
    static RawMarkupData doxygenParam(std::string name);
    /// One of the 18 kinds without payload; throws std::invalid_argument for any other kind.
    static RawMarkupData withoutPayload(RawKind kind);

    RawKind kind() const { return kind_; }

    /// The payload of the given shape; throws std::logic_error when the kind carries another one.
    const CodeBlockPayload& codeBlockPayload() const {
        return *get<std::shared_ptr<const CodeBlockPayload>>();
    }
    const HeadingPayload& headingPayload() const { return get<HeadingPayload>(); }
    const StringPayload& stringPayload() const { return get<StringPayload>(); }
    const ListItemPayload& listItemPayload() const { return get<ListItemPayload>(); }
    const OrderedListPayload& orderedListPayload() const { return get<OrderedListPayload>(); }
    const BlockDirectivePayload& blockDirectivePayload() const {
        return *get<std::shared_ptr<const BlockDirectivePayload>>();
    }
    const LinkPayload& linkPayload() const { return *get<std::shared_ptr<const LinkPayload>>(); }
    const SymbolLinkPayload& symbolLinkPayload() const {
        return *get<std::shared_ptr<const SymbolLinkPayload>>();
    }
    const TablePayload& tablePayload() const { return get<TablePayload>(); }
    const TableCellPayload& tableCellPayload() const { return get<TableCellPayload>(); }

    /// The kind's name with its payload values, for diagnostics: text("Hello"), heading(level: 2).
    std::string diagnosticDescription() const;

    friend bool operator==(const RawMarkupData& a, const RawMarkupData& b);

private:
    // Payloads larger than one string live behind a shared pointer (they never change), so that the
    // common nodes (text, paragraphs, code spans) stay small.
    using Payload =
        std::variant<std::monostate, std::shared_ptr<const CodeBlockPayload>, HeadingPayload, StringPayload,
                     ListItemPayload, OrderedListPayload, std::shared_ptr<const BlockDirectivePayload>,
                     std::shared_ptr<const LinkPayload>, std::shared_ptr<const SymbolLinkPayload>,
                     TablePayload, TableCellPayload>;

    RawMarkupData(RawKind kind, Payload payload) : kind_(kind), payload_(std::move(payload)) {}

    template <class T> const T& get() const {
        if (const T* value = std::get_if<T>(&payload_)) {
            return *value;
        }
        throw std::logic_error("RawMarkupData: " + std::string(rawKindName(kind_)) + " has no such payload");
    }

    RawKind kind_;
    Payload payload_;
};

/// How a node keeps its source range. A parsed node's range (both bounds in one source, lines and columns
/// within 32 bits) takes four 32-bit numbers and the source; any other range is kept whole on the side.
class StoredSourceRange {
public:
    StoredSourceRange() = default;
    explicit StoredSourceRange(std::optional<SourceRange> range);
    /// A range with both bounds in `source`, as a parser makes it, without building its locations first;
    /// throws std::invalid_argument when the end lies before the start.
    StoredSourceRange(std::int64_t startLine, std::int64_t startColumn, std::int64_t endLine,
                      std::int64_t endColumn, const std::optional<URL>& source);

    std::optional<SourceRange> get() const;

private:
    struct Compact {
        std::int32_t startLine;
        std::int32_t startColumn;
        std::int32_t endLine;
        std::int32_t endColumn;
        std::optional<URL> source;
    };
    std::variant<std::monostate, Compact, std::unique_ptr<const SourceRange>> form_;
};

class RawMarkup;

/// Memory for the nodes of one large build (the parser's): nodes are carved out of blocks, and a block
/// goes back to the system when the last node in it is released, on whichever thread that happens.
/// Nodes made this way are ordinary nodes in every other respect. One builder uses it at a time.
class RawNodeBlocks {
public:
    RawNodeBlocks() = default;
    RawNodeBlocks(const RawNodeBlocks&) = delete;
    RawNodeBlocks& operator=(const RawNodeBlocks&) = delete;
    ~RawNodeBlocks();

private:
    friend class RawMarkup;
    struct Block;

    // Memory for a node of `size` bytes and the block it lies in, or null for a node too large for
    // the blocks, which gets its own allocation.
    void* take(std::size_t size, Block*& block);
    void startBlock(std::size_t nodeSize);
    void retireCurrent();
    // `count` nodes of `block` are gone: the block is freed when they were its last.
    static void release(Block* block, std::int64_t count);

    Block* current_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::int64_t takenFromCurrent_ = 0;
    std::size_t nextBlockSize_ = 0;
};

/// A counted reference to a raw node (or to nothing). Copying shares the node; releasing the last reference
/// frees the node and every descendant that is no longer referenced, iteratively.
class RawMarkupRef {
public:
    RawMarkupRef() = default;
    RawMarkupRef(const RawMarkupRef& other) noexcept;
    RawMarkupRef(RawMarkupRef&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
    RawMarkupRef& operator=(const RawMarkupRef& other) noexcept;
    RawMarkupRef& operator=(RawMarkupRef&& other) noexcept;
    ~RawMarkupRef();

    const RawMarkup* get() const { return node_; }
    const RawMarkup& operator*() const { return *node_; }
    const RawMarkup* operator->() const { return node_; }
    explicit operator bool() const { return node_ != nullptr; }
    friend bool operator==(const RawMarkupRef& a, const RawMarkupRef& b) { return a.node_ == b.node_; }

private:
    friend class RawMarkup;
    explicit RawMarkupRef(RawMarkup* adopted) : node_(adopted) {}
    RawMarkup* node_ = nullptr;
};

/// An immutable tree node: kind and payload, children, subtree size and the source range it was parsed from.
/// Header and child references share one allocation.
class RawMarkup {
public:
    /// Error raised when a node is to be viewed as an element type of another kind.
    class Error : public std::runtime_error {
    public:
        Error(const RawMarkup& from, std::string_view to);
    };

    static RawMarkupRef create(RawMarkupData data, std::optional<SourceRange> parsedRange,
                               std::span<const RawMarkupRef> children);
    static RawMarkupRef create(RawMarkupData data, std::optional<SourceRange> parsedRange,
                               std::initializer_list<RawMarkupRef> children) {
        return create(std::move(data), std::move(parsedRange), std::span(children.begin(), children.size()));
    }
    /// The same with the range in its stored form, for builders of many nodes (the parser), which may
    /// also take the node's memory from `blocks`.
    static RawMarkupRef create(RawMarkupData data, StoredSourceRange parsedRange,
                               std::span<const RawMarkupRef> children, RawNodeBlocks* blocks = nullptr);
    /// The same, moving the references out of `children` (left empty) instead of sharing them: a builder
    /// that drops its references right after saves two reference-count updates per child.
    static RawMarkupRef createAdopting(RawMarkupData data, StoredSourceRange parsedRange,
                                       std::span<RawMarkupRef> children, RawNodeBlocks* blocks = nullptr);

    RawMarkup(const RawMarkup&) = delete;
    RawMarkup& operator=(const RawMarkup&) = delete;

    const RawMarkupData& data() const { return data_; }
    RawKind kind() const { return data_.kind(); }
    std::int64_t childCount() const { return childCount_; }
    std::int64_t subtreeCount() const { return subtreeCount_; }
    std::optional<SourceRange> parsedRange() const { return parsedRange_.get(); }

    /// Children in document order.
    std::span<const RawMarkupRef> children() const {
        return {childStorage(), static_cast<std::size_t>(childCount_)};
    }
    /// The child at `position`; throws std::out_of_range outside 0 ..< childCount.
    const RawMarkupRef& child(std::int64_t position) const;

    /// Same kinds, payloads and child counts all the way down; ranges are not looked at. Iterative.
    bool hasSameStructure(const RawMarkup& other) const;

    /// A copy of this node with `newChild` at `position`. Its range is this node's own with `preserveRange`,
    /// else the new child's. Throws std::out_of_range outside 0 ..< childCount.
    RawMarkupRef substitutingChild(RawMarkupRef newChild, std::int64_t position, bool preserveRange) const;

    /// Raw nodes alive in the process right now (all threads). Nodes made in `RawNodeBlocks` count from
    /// when their builder moves past their block.
    static std::int64_t liveNodeCount();

private:
    friend class RawMarkupRef;

    RawMarkup(RawMarkupData&& data, StoredSourceRange&& parsedRange, std::int64_t childCount,
              std::int64_t subtreeCount, RawNodeBlocks::Block* block) noexcept;
    ~RawMarkup() = default;

    RawMarkupRef* childStorage() const;
    static RawMarkup* allocate(RawMarkupData&& data, StoredSourceRange&& parsedRange,
                               std::span<const RawMarkupRef> children, RawNodeBlocks* blocks);
    void retain() const { references_.fetch_add(1, std::memory_order_relaxed); }
    static bool dropReference(const RawMarkup* node);
    static void release(const RawMarkup* node);
    static void destroyTree(RawMarkup* node);

    mutable std::atomic<std::int64_t> references_{1};
    // 32 bits each: a tree of two billion nodes would need hundreds of gigabytes, and every node saves
    // eight bytes.
    std::int32_t childCount_;
    std::int32_t subtreeCount_;
    RawNodeBlocks::Block* block_; // the block holding this node, or null when it has its own allocation
    RawMarkupData data_;
    StoredSourceRange parsedRange_;
};

/// The range covering a run of nodes: from the first node's start to the last node's end. Absent for an empty
/// run, when the first or the last node has no range, or when the last node ends before the first begins.
std::optional<SourceRange> parsedRangeOfRun(std::span<const RawMarkupRef> nodes);

inline RawMarkupRef::RawMarkupRef(const RawMarkupRef& other) noexcept : node_(other.node_) {
    if (node_) {
        node_->retain();
    }
}

inline RawMarkupRef& RawMarkupRef::operator=(const RawMarkupRef& other) noexcept {
    if (other.node_) {
        other.node_->retain();
    }
    RawMarkup* old = node_;
    node_ = other.node_;
    if (old) {
        RawMarkup::release(old);
    }
    return *this;
}

inline RawMarkupRef& RawMarkupRef::operator=(RawMarkupRef&& other) noexcept {
    if (this != &other) {
        RawMarkup* old = node_;
        node_ = other.node_;
        other.node_ = nullptr;
        if (old) {
            RawMarkup::release(old);
        }
    }
    return *this;
}

inline RawMarkupRef::~RawMarkupRef() {
    if (node_) {
        RawMarkup::release(node_);
    }
}

} // namespace Markdown
