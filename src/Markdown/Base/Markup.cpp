#include "Markdown/Base/Markup.h"

#include "Markdown/Base/UniqueIdentifier.h"

#include <stdexcept>

namespace Markdown {

namespace {

constexpr std::string_view typeNames[rawKindCount] = {
    "CodeBlock",
    "Heading",
    "HTMLBlock",
    "ListItem",
    "OrderedList",
    "BlockDirective",
    "InlineCode",
    "CustomInline",
    "Image",
    "InlineHTML",
    "Link",
    "Text",
    "SymbolLink",
    "InlineAttributes",
    "Table",
    "Cell",
    "DoxygenParameter",
    "BlockQuote",
    "CustomBlock",
    "Document",
    "ThematicBreak",
    "UnorderedList",
    "Paragraph",
    "Emphasis",
    "LineBreak",
    "SoftBreak",
    "Strong",
    "Strikethrough",
    "Head",
    "Body",
    "Row",
    "DoxygenDiscussion",
    "DoxygenNote",
    "DoxygenAbstract",
    "DoxygenReturns",
};

// The child identifier of the child at `position`: one past the parent's, plus the earlier siblings' sizes.
std::int64_t childIdentifier(const MarkupData& parent, std::int64_t position) {
    std::int64_t childId = parent.id().childId + 1;
    const auto children = parent.node().children();
    for (std::int64_t i = 0; i < position; ++i) {
        childId += children[static_cast<std::size_t>(i)]->subtreeCount();
    }
    return childId;
}

} // namespace

MarkupData::~MarkupData() {
    // Unlink the chain of uniquely owned ancestors one at a time instead of letting each free the next.
    std::shared_ptr<MarkupData> ancestor = std::move(parent_);
    while (ancestor && ancestor.use_count() == 1) {
        std::shared_ptr<MarkupData> next = std::move(ancestor->parent_);
        ancestor = std::move(next);
    }
}

MarkupData MarkupData::newRoot(RawMarkupRef node) {
    const std::uint64_t rootId = _cmarkup_increment_and_get_unique_id();
    return MarkupData({std::move(node), {{rootId, 0}, 0}}, nullptr);
}

std::optional<MarkupData> MarkupData::child(std::int64_t position) const {
    if (position < 0 || position >= node().childCount()) {
        return std::nullopt;
    }
    return MarkupData({node().child(position), {{id().rootId, childIdentifier(*this, position)}, position}},
                      std::make_shared<MarkupData>(*this));
}

MarkupData MarkupData::replacingSelf(RawMarkupRef newNode, bool preserveRange) const {
    // Walk up collecting the path, then rebuild bottom-up: one new node per level.
    std::vector<const MarkupData*> path{this};
    while (path.back()->parent()) {
        path.push_back(path.back()->parent());
    }
    RawMarkupRef replacement = std::move(newNode);
    bool keepRange = preserveRange;
    for (std::size_t level = 1; level < path.size(); ++level) {
        replacement = path[level]->node().substitutingChild(std::move(replacement),
                                                            path[level - 1]->indexInParent(), keepRange);
        keepRange = false;
    }
    MarkupData current = newRoot(std::move(replacement));
    for (std::size_t level = path.size() - 1; level > 0; --level) {
        current = *current.child(path[level - 1]->indexInParent());
    }
    return current;
}

std::optional<MarkupData> MarkupData::substitutingChild(RawMarkupRef newNode,
                                                        std::span<const std::int64_t> positions,
                                                        bool preserveRange) const {
    if (positions.empty()) {
        return std::nullopt;
    }
    std::vector<const RawMarkup*> collected{&node()};
    for (std::size_t step = 0; step + 1 < positions.size(); ++step) {
        const RawMarkup& current = *collected.back();
        if (positions[step] < 0 || positions[step] >= current.childCount()) {
            return std::nullopt;
        }
        collected.push_back(current.child(positions[step]).get());
    }
    if (positions.back() < 0 || positions.back() >= collected.back()->childCount()) {
        return std::nullopt;
    }
    RawMarkupRef replacement = std::move(newNode);
    for (std::size_t level = collected.size(); level-- > 0;) {
        replacement =
            collected[level]->substitutingChild(std::move(replacement), positions[level], preserveRange);
    }
    return replacingSelf(std::move(replacement), preserveRange);
}

std::string_view Markup::typeName() const {
    return typeNames[static_cast<int>(kind())];
}

std::optional<Markup> Markup::parent() const {
    if (!_data.parent()) {
        return std::nullopt;
    }
    return Markup(*_data.parent());
}

Markup Markup::root() const {
    const MarkupData* top = &_data;
    while (top->parent()) {
        top = top->parent();
    }
    return Markup(*top);
}

std::optional<Markup> Markup::child(std::int64_t position) const {
    std::optional<MarkupData> data = _data.child(position);
    if (!data) {
        return std::nullopt;
    }
    return Markup(std::move(*data));
}

std::optional<Markup> Markup::child(const TypedChildIndexPath& path) const {
    Markup current = *this;
    for (const TypedChildIndexPath::Element& step : path) {
        std::optional<Markup> next = current.child(step.index);
        if (!next || (step.expectedKind && next->kind() != *step.expectedKind)) {
            return std::nullopt;
        }
        current = std::move(*next);
    }
    return current;
}

std::optional<Markup> Markup::child(std::initializer_list<std::int64_t> positions) const {
    return child(std::span<const std::int64_t>(positions.begin(), positions.size()));
}

Markup Markup::withUncheckedChildren(std::span<const Markup> children) const {
    const RawMarkupRef node = RawMarkup::create(_data.node().data(), range(), rawNodesOf(children));
    return Markup(_data.replacingSelf(node, false));
}

Markup Markup::detachedFromParent() const {
    if (_data.id().childId == 0) {
        return *this;
    }
    return Markup(MarkupData::newRoot(_data.raw().markup));
}

MarkupData Markup::buildRoot(RawMarkupData data, const std::vector<RawMarkupRef>& children,
                             bool inheritSourceRange) {
    std::optional<SourceRange> range = inheritSourceRange ? parsedRangeOfRun(children) : std::nullopt;
    return MarkupData::newRoot(RawMarkup::create(std::move(data), std::move(range), children));
}

MarkupData Markup::checkedData(MarkupData data, RawKind kind, std::string_view typeName) {
    if (data.node().kind() != kind) {
        throw RawMarkup::Error(data.node(), typeName);
    }
    return data;
}

void Markup::rebuildWithPayload(RawMarkupData data) {
    const auto children = _data.node().children();
    _data = _data.replacingSelf(RawMarkup::create(std::move(data), std::nullopt, children), false);
}

void Markup::replaceChildren(std::int64_t lower, std::int64_t upper,
                             const std::vector<RawMarkupRef>& incoming) {
    if (lower < 0 || upper < lower || upper > childCount()) {
        throw std::out_of_range("replaceChildrenInRange: positions " + std::to_string(lower) + "..<" +
                                std::to_string(upper) + " outside 0..<" + std::to_string(childCount()));
    }
    const auto current = _data.node().children();
    std::vector<RawMarkupRef> children(current.begin(), current.begin() + lower);
    children.insert(children.end(), incoming.begin(), incoming.end());
    children.insert(children.end(), current.begin() + upper, current.end());
    _data = _data.replacingSelf(RawMarkup::create(_data.node().data(), range(), children), false);
}

} // namespace Markdown
