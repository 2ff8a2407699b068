#include "Markdown/Base/RawMarkup.h"

#include "Markdown/Infrastructure/CanonicalEquivalence.h"

#include <algorithm>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace Markdown {

namespace {

std::atomic<std::int64_t> liveNodes{0};

constexpr std::string_view kindNames[rawKindCount] = {
    "codeBlock",     "heading",          "htmlBlock",      "listItem",
    "orderedList",   "blockDirective",   "inlineCode",     "customInline",
    "image",         "inlineHTML",       "link",           "text",
    "symbolLink",    "inlineAttributes", "table",          "tableCell",
    "doxygenParam",  "blockQuote",       "customBlock",    "document",
    "thematicBreak", "unorderedList",    "paragraph",      "emphasis",
    "lineBreak",     "softBreak",        "strong",         "strikethrough",
    "tableHead",     "tableBody",        "tableRow",       "doxygenDiscussion",
    "doxygenNote",   "doxygenAbstract",  "doxygenReturns",
};

bool equalStrings(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (!a || !b) {
        return !a && !b;
    }
    return canonicallyEqual(*a, *b);
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string quoted(const std::optional<std::string>& text) {
    return text ? quoted(*text) : "nil";
}

} // namespace

std::string_view rawKindName(RawKind kind) {
    return kindNames[static_cast<int>(kind)];
}

RawMarkupData RawMarkupData::codeBlock(std::string code, std::optional<std::string> language) {
    return {RawKind::codeBlock,
            std::make_shared<const CodeBlockPayload>(CodeBlockPayload{std::move(code), std::move(language)})};
}
RawMarkupData RawMarkupData::heading(std::int64_t level) {
    return {RawKind::heading, HeadingPayload{level}};
}
RawMarkupData RawMarkupData::htmlBlock(std::string rawHTML) {
    return {RawKind::htmlBlock, StringPayload{std::move(rawHTML)}};
}
RawMarkupData RawMarkupData::listItem(std::optional<Checkbox> checkbox) {
    return {RawKind::listItem, ListItemPayload{checkbox}};
}
RawMarkupData RawMarkupData::orderedList(std::uint64_t startIndex) {
    return {RawKind::orderedList, OrderedListPayload{startIndex}};
}
RawMarkupData RawMarkupData::blockDirective(std::string name, std::optional<SourceLocation> nameLocation,
                                            DirectiveArgumentText arguments) {
    return {RawKind::blockDirective, std::make_shared<const BlockDirectivePayload>(BlockDirectivePayload{
                                         std::move(name), std::move(nameLocation), std::move(arguments)})};
}
RawMarkupData RawMarkupData::inlineCode(std::string code) {
    return {RawKind::inlineCode, StringPayload{std::move(code)}};
}
RawMarkupData RawMarkupData::customInline(std::string text) {
    return {RawKind::customInline, StringPayload{std::move(text)}};
}
RawMarkupData RawMarkupData::image(std::optional<std::string> source, std::optional<std::string> title) {
    return {RawKind::image,
            std::make_shared<const LinkPayload>(LinkPayload{std::move(source), std::move(title)})};
}
RawMarkupData RawMarkupData::inlineHTML(std::string rawHTML) {
    return {RawKind::inlineHTML, StringPayload{std::move(rawHTML)}};
}
RawMarkupData RawMarkupData::link(std::optional<std::string> destination, std::optional<std::string> title) {
    return {RawKind::link,
            std::make_shared<const LinkPayload>(LinkPayload{std::move(destination), std::move(title)})};
}
RawMarkupData RawMarkupData::text(std::string text) {
    return {RawKind::text, StringPayload{std::move(text)}};
}
RawMarkupData RawMarkupData::symbolLink(std::optional<std::string> destination) {
    return {RawKind::symbolLink,
            std::make_shared<const SymbolLinkPayload>(SymbolLinkPayload{std::move(destination)})};
}
RawMarkupData RawMarkupData::inlineAttributes(std::string attributes) {
    return {RawKind::inlineAttributes, StringPayload{std::move(attributes)}};
}
RawMarkupData RawMarkupData::table(std::vector<std::optional<TableColumnAlignment>> columnAlignments) {
    return {RawKind::table, TablePayload{std::move(columnAlignments)}};
}
RawMarkupData RawMarkupData::tableCell(std::uint64_t colspan, std::uint64_t rowspan) {
    return {RawKind::tableCell, TableCellPayload{colspan, rowspan}};
}
RawMarkupData RawMarkupData::doxygenParam(std::string name) {
    return {RawKind::doxygenParam, StringPayload{std::move(name)}};
}
RawMarkupData RawMarkupData::withoutPayload(RawKind kind) {
    if (kind < RawKind::blockQuote || static_cast<int>(kind) >= rawKindCount) {
        throw std::invalid_argument("RawMarkupData: " + std::string(rawKindName(kind)) + " needs a payload");
    }
    return {kind, std::monostate{}};
}

bool operator==(const RawMarkupData& a, const RawMarkupData& b) {
    if (a.kind_ != b.kind_) {
        return false;
    }
    switch (a.kind_) {
    case RawKind::codeBlock:
        return canonicallyEqual(a.codeBlockPayload().code, b.codeBlockPayload().code) &&
               equalStrings(a.codeBlockPayload().language, b.codeBlockPayload().language);
    case RawKind::heading:
        return a.headingPayload().level == b.headingPayload().level;
    case RawKind::htmlBlock:
    case RawKind::inlineCode:
    case RawKind::customInline:
    case RawKind::inlineHTML:
    case RawKind::text:
    case RawKind::inlineAttributes:
    case RawKind::doxygenParam:
        return canonicallyEqual(a.stringPayload().value, b.stringPayload().value);
    case RawKind::listItem:
        return a.listItemPayload().checkbox == b.listItemPayload().checkbox;
    case RawKind::orderedList:
        return a.orderedListPayload().startIndex == b.orderedListPayload().startIndex;
    case RawKind::blockDirective: {
        const BlockDirectivePayload& left = a.blockDirectivePayload();
        const BlockDirectivePayload& right = b.blockDirectivePayload();
        return canonicallyEqual(left.name, right.name) && left.nameLocation == right.nameLocation &&
               left.arguments == right.arguments;
    }
    case RawKind::image:
    case RawKind::link:
        return equalStrings(a.linkPayload().destination, b.linkPayload().destination) &&
               equalStrings(a.linkPayload().title, b.linkPayload().title);
    case RawKind::symbolLink:
        return equalStrings(a.symbolLinkPayload().destination, b.symbolLinkPayload().destination);
    case RawKind::table:
        return a.tablePayload().columnAlignments == b.tablePayload().columnAlignments;
    case RawKind::tableCell:
        return a.tableCellPayload().colspan == b.tableCellPayload().colspan &&
               a.tableCellPayload().rowspan == b.tableCellPayload().rowspan;
    default:
        return true;
    }
}

std::string RawMarkupData::diagnosticDescription() const {
    std::string text(rawKindName(kind_));
    switch (kind_) {
    case RawKind::codeBlock:
        return text + "(" + quoted(codeBlockPayload().code) +
               ", language: " + quoted(codeBlockPayload().language) + ")";
    case RawKind::heading:
        return text + "(level: " + std::to_string(headingPayload().level) + ")";
    case RawKind::htmlBlock:
    case RawKind::inlineCode:
    case RawKind::customInline:
    case RawKind::inlineHTML:
    case RawKind::text:
    case RawKind::inlineAttributes:
    case RawKind::doxygenParam:
        return text + "(" + quoted(stringPayload().value) + ")";
    case RawKind::listItem: {
        const auto& checkbox = listItemPayload().checkbox;
        return text + "(checkbox: " +
               (checkbox ? (*checkbox == Checkbox::checked ? "checked" : "unchecked") : std::string("nil")) +
               ")";
    }
    case RawKind::orderedList:
        return text + "(startIndex: " + std::to_string(orderedListPayload().startIndex) + ")";
    case RawKind::blockDirective:
        return text + "(name: " + quoted(blockDirectivePayload().name) + ")";
    case RawKind::image:
    case RawKind::link:
        return text + "(" + quoted(linkPayload().destination) + ", title: " + quoted(linkPayload().title) +
               ")";
    case RawKind::symbolLink:
        return text + "(destination: " + quoted(symbolLinkPayload().destination) + ")";
    case RawKind::table:
        return text + "(columns: " + std::to_string(tablePayload().columnAlignments.size()) + ")";
    case RawKind::tableCell:
        return text + "(colspan: " + std::to_string(tableCellPayload().colspan) +
               ", rowspan: " + std::to_string(tableCellPayload().rowspan) + ")";
    default:
        return text;
    }
}

namespace {

bool fitsCompactly(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

StoredSourceRange::StoredSourceRange(std::optional<SourceRange> range) {
    if (!range) {
        return;
    }
    const SourceLocation& start = range->start();
    const SourceLocation& end = range->end();
    if (fitsCompactly(start.line()) && fitsCompactly(start.column()) && fitsCompactly(end.line()) &&
        fitsCompactly(end.column()) && start.source() == end.source()) {
        form_ = Compact{static_cast<std::int32_t>(start.line()), static_cast<std::int32_t>(start.column()),
                        static_cast<std::int32_t>(end.line()), static_cast<std::int32_t>(end.column()),
                        start.source()};
    } else {
        form_ = std::make_unique<const SourceRange>(std::move(*range));
    }
}

StoredSourceRange::StoredSourceRange(std::int64_t startLine, std::int64_t startColumn, std::int64_t endLine,
                                     std::int64_t endColumn, const std::optional<URL>& source) {
    if (endLine < startLine || (endLine == startLine && endColumn < startColumn)) {
        throw std::invalid_argument("StoredSourceRange: the end " + std::to_string(endLine) + ":" +
                                    std::to_string(endColumn) + " lies before the start " +
                                    std::to_string(startLine) + ":" + std::to_string(startColumn));
    }
    if (fitsCompactly(startLine) && fitsCompactly(startColumn) && fitsCompactly(endLine) &&
        fitsCompactly(endColumn)) {
        form_ = Compact{static_cast<std::int32_t>(startLine), static_cast<std::int32_t>(startColumn),
                        static_cast<std::int32_t>(endLine), static_cast<std::int32_t>(endColumn), source};
    } else {
        form_ = std::make_unique<const SourceRange>(SourceLocation(startLine, startColumn, source),
                                                    SourceLocation(endLine, endColumn, source));
    }
}

std::optional<SourceRange> StoredSourceRange::get() const {
    if (const Compact* compact = std::get_if<Compact>(&form_)) {
        return SourceRange(SourceLocation(compact->startLine, compact->startColumn, compact->source),
                           SourceLocation(compact->endLine, compact->endColumn, compact->source));
    }
    if (const auto* full = std::get_if<std::unique_ptr<const SourceRange>>(&form_)) {
        return **full;
    }
    return std::nullopt;
}

RawMarkup::Error::Error(const RawMarkup& from, std::string_view to)
    : std::runtime_error("Can't wrap a " + from.data().diagnosticDescription() + " in a " + std::string(to)) {
}

static_assert(alignof(RawMarkup) >= alignof(RawMarkupRef) && sizeof(RawMarkup) % alignof(RawMarkupRef) == 0);

static_assert(std::is_nothrow_move_constructible_v<RawMarkupData> &&
              std::is_nothrow_move_constructible_v<StoredSourceRange>);

RawMarkup::RawMarkup(RawMarkupData&& data, StoredSourceRange&& parsedRange, std::int64_t childCount,
                     std::int64_t subtreeCount, RawNodeBlocks::Block* block) noexcept
    : childCount_(static_cast<std::int32_t>(childCount)),
      subtreeCount_(static_cast<std::int32_t>(subtreeCount)), block_(block), data_(std::move(data)),
      parsedRange_(std::move(parsedRange)) {}

RawMarkupRef* RawMarkup::childStorage() const {
    return reinterpret_cast<RawMarkupRef*>(const_cast<RawMarkup*>(this) + 1);
}

RawMarkupRef RawMarkup::create(RawMarkupData data, std::optional<SourceRange> parsedRange,
                               std::span<const RawMarkupRef> children) {
    return create(std::move(data), StoredSourceRange(std::move(parsedRange)), children);
}

RawMarkupRef RawMarkup::create(RawMarkupData data, StoredSourceRange parsedRange,
                               std::span<const RawMarkupRef> children, RawNodeBlocks* blocks) {
    RawMarkup* node = allocate(std::move(data), std::move(parsedRange), children, blocks);
    RawMarkupRef* slots = node->childStorage();
    for (std::size_t i = 0; i < children.size(); ++i) {
        new (slots + i) RawMarkupRef(children[i]);
    }
    return RawMarkupRef(node);
}

RawMarkupRef RawMarkup::createAdopting(RawMarkupData data, StoredSourceRange parsedRange,
                                       std::span<RawMarkupRef> children, RawNodeBlocks* blocks) {
    RawMarkup* node = allocate(std::move(data), std::move(parsedRange), children, blocks);
    RawMarkupRef* slots = node->childStorage();
    for (std::size_t i = 0; i < children.size(); ++i) {
        new (slots + i) RawMarkupRef(std::move(children[i]));
    }
    return RawMarkupRef(node);
}

// The node with room for its children, whose slots the caller fills.
RawMarkup* RawMarkup::allocate(RawMarkupData&& data, StoredSourceRange&& parsedRange,
                               std::span<const RawMarkupRef> children, RawNodeBlocks* blocks) {
    std::int64_t subtreeCount = 1;
    for (const RawMarkupRef& child : children) {
        if (!child) {
            throw std::invalid_argument("RawMarkup::create: a child reference is empty");
        }
        subtreeCount += child->subtreeCount();
    }
    if (children.size() > static_cast<std::size_t>(INT32_MAX) || subtreeCount > INT32_MAX) {
        throw std::length_error("RawMarkup::create: a tree of more than 2^31 nodes");
    }
    const std::size_t size = sizeof(RawMarkup) + children.size() * sizeof(RawMarkupRef);
    RawNodeBlocks::Block* block = nullptr;
    void* memory = blocks ? blocks->take(size, block) : ::operator new(size);
    if (!block) {
        liveNodes.fetch_add(1, std::memory_order_relaxed);
    }
    return new (memory) RawMarkup(std::move(data), std::move(parsedRange),
                                  static_cast<std::int64_t>(children.size()), subtreeCount, block);
}

const RawMarkupRef& RawMarkup::child(std::int64_t position) const {
    if (position < 0 || position >= childCount_) {
        throw std::out_of_range("RawMarkup::child: position " + std::to_string(position) + " outside 0..<" +
                                std::to_string(childCount_));
    }
    return childStorage()[position];
}

bool RawMarkup::hasSameStructure(const RawMarkup& other) const {
    std::vector<std::pair<const RawMarkup*, const RawMarkup*>> pending{{this, &other}};
    while (!pending.empty()) {
        const auto [left, right] = pending.back();
        pending.pop_back();
        if (left == right) {
            continue;
        }
        if (left->childCount_ != right->childCount_ || !(left->data_ == right->data_)) {
            return false;
        }
        // Pushed last to first so that pairs are compared first to last.
        for (std::int64_t i = left->childCount_ - 1; i >= 0; --i) {
            pending.emplace_back(left->childStorage()[i].get(), right->childStorage()[i].get());
        }
    }
    return true;
}

RawMarkupRef RawMarkup::substitutingChild(RawMarkupRef newChild, std::int64_t position,
                                          bool preserveRange) const {
    if (position < 0 || position >= childCount_) {
        throw std::out_of_range("RawMarkup::substitutingChild: position " + std::to_string(position) +
                                " outside 0..<" + std::to_string(childCount_));
    }
    std::vector<RawMarkupRef> newChildren(children().begin(), children().end());
    std::optional<SourceRange> range = preserveRange ? parsedRange() : newChild->parsedRange();
    newChildren[static_cast<std::size_t>(position)] = std::move(newChild);
    return create(data_, std::move(range), newChildren);
}

std::int64_t RawMarkup::liveNodeCount() {
    return liveNodes.load(std::memory_order_relaxed);
}

// A block's count of live nodes starts this high and is lowered to the true count when the builder
// moves on, so that nodes released while the block is still being filled never free it early.
struct RawNodeBlocks::Block {
    static constexpr std::int64_t beingFilled = std::int64_t{1} << 62;
    std::atomic<std::int64_t> liveNodes{beingFilled};
};

namespace {

constexpr std::size_t firstBlockSize = 4 * 1024; // small parses stay small
constexpr std::size_t largestBlockSize = 64 * 1024;
constexpr std::size_t largestNodeInBlock = 4 * 1024; // about 500 children

} // namespace

RawNodeBlocks::~RawNodeBlocks() {
    retireCurrent();
}

void* RawNodeBlocks::take(std::size_t size, Block*& block) {
    if (size > largestNodeInBlock) {
        block = nullptr;
        return ::operator new(size);
    }
    if (static_cast<std::size_t>(end_ - next_) < size) {
        startBlock(size);
    }
    void* memory = next_;
    next_ += size;
    ++takenFromCurrent_;
    block = current_;
    return memory;
}

void RawNodeBlocks::startBlock(std::size_t nodeSize) {
    constexpr std::size_t headerSize =
        (sizeof(Block) + alignof(RawMarkup) - 1) / alignof(RawMarkup) * alignof(RawMarkup);
    nextBlockSize_ = nextBlockSize_ == 0 ? firstBlockSize : std::min(nextBlockSize_ * 2, largestBlockSize);
    const std::size_t size = std::max(nextBlockSize_, headerSize + nodeSize);
    void* memory = ::operator new(size);
    retireCurrent();
    current_ = new (memory) Block;
    next_ = static_cast<char*>(memory) + headerSize;
    end_ = static_cast<char*>(memory) + size;
}

void RawNodeBlocks::retireCurrent() {
    if (!current_) {
        return;
    }
    liveNodes.fetch_add(takenFromCurrent_, std::memory_order_relaxed);
    release(current_, Block::beingFilled - takenFromCurrent_);
    current_ = nullptr;
    next_ = end_ = nullptr;
    takenFromCurrent_ = 0;
}

void RawNodeBlocks::release(Block* block, std::int64_t count) {
    if (block->liveNodes.fetch_sub(count, std::memory_order_acq_rel) == count) {
        block->~Block();
        ::operator delete(block);
    }
}

// Whether the caller's reference to `node` was the last. A count of one cannot rise meanwhile (only
// a holder can copy a reference), so an unshared node, by far the most common, needs no atomic update.
bool RawMarkup::dropReference(const RawMarkup* node) {
    return node->references_.load(std::memory_order_acquire) == 1 ||
           node->references_.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

void RawMarkup::release(const RawMarkup* node) {
    if (dropReference(node)) {
        destroyTree(const_cast<RawMarkup*>(node));
    }
}

namespace {

// A stack of nodes kept in blocks small enough for the allocator's quick paths. One large buffer,
// freed after a large tree's nodes, would make the allocator sort through every one of them at once.
class PendingNodes {
public:
    PendingNodes() = default;
    PendingNodes(const PendingNodes&) = delete;
    PendingNodes& operator=(const PendingNodes&) = delete;
    ~PendingNodes() {
        while (top_) {
            delete std::exchange(top_, top_->below);
        }
        delete spare_;
    }

    bool empty() const { return !top_; }

    void push(RawMarkup* node) {
        if (!top_ || top_->count == Block::capacity) {
            Block* block = spare_ ? std::exchange(spare_, nullptr) : new Block;
            block->count = 0;
            block->below = top_;
            top_ = block;
        }
        top_->nodes[top_->count++] = node;
    }

    RawMarkup* pop() {
        RawMarkup* node = top_->nodes[--top_->count];
        if (top_->count == 0) {
            Block* emptied = std::exchange(top_, top_->below);
            delete std::exchange(spare_, emptied);
        }
        return node;
    }

private:
    struct Block {
        static constexpr int capacity = 60; // the whole block stays under 512 bytes
        RawMarkup* nodes[capacity];
        Block* below;
        int count;
    };
    Block* top_ = nullptr;
    Block* spare_ = nullptr; // the last emptied block, kept against push-pop churn
};

} // namespace

// Nodes whose last reference went are queued and freed by the outermost call on this thread, so
// freeing a tree takes constant stack whatever its depth. The queue lives on that call's stack and
// the thread-local only points at it: a plain pointer has no destructor, so trees released while
// the program exits (static objects, thread teardown) are still freed safely.
void RawMarkup::destroyTree(RawMarkup* node) {
    thread_local PendingNodes* activeQueue = nullptr;
    if (activeQueue != nullptr) {
        activeQueue->push(node);
        return;
    }
    PendingNodes pending;
    activeQueue = &pending;
    RawMarkup* current = node;
    std::int64_t freed = 0;
    // Nodes of one block mostly follow each other here, so their block's count is lowered once per run.
    RawNodeBlocks::Block* runBlock = nullptr;
    std::int64_t runLength = 0;
    while (current != nullptr) {
        RawMarkupRef* slots = current->childStorage();
        for (std::int64_t i = 0; i < current->childCount_; ++i) {
            RawMarkup* child = std::exchange(slots[i].node_, nullptr);
            if (dropReference(child)) {
                pending.push(child);
            }
            slots[i].~RawMarkupRef();
        }
        RawNodeBlocks::Block* block = current->block_;
        current->~RawMarkup();
        if (!block) {
            ::operator delete(current);
        } else if (block == runBlock) {
            ++runLength;
        } else {
            if (runBlock) {
                RawNodeBlocks::release(runBlock, runLength);
            }
            runBlock = block;
            runLength = 1;
        }
        ++freed;
        current = pending.empty() ? nullptr : pending.pop();
    }
    if (runBlock) {
        RawNodeBlocks::release(runBlock, runLength);
    }
    liveNodes.fetch_sub(freed, std::memory_order_relaxed);
    activeQueue = nullptr;
}

std::optional<SourceRange> parsedRangeOfRun(std::span<const RawMarkupRef> nodes) {
    if (nodes.empty()) {
        return std::nullopt;
    }
    const auto& first = nodes.front()->parsedRange();
    const auto& last = nodes.back()->parsedRange();
    if (!first || !last || last->end() < first->start()) {
        return std::nullopt;
    }
    return SourceRange(first->start(), last->end());
}

} // namespace Markdown
