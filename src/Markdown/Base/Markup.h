#pragma once

// Element views: small values over the shared raw nodes, with identity and navigation.
//
// `Markup` is the type-erased view; every element type (`Document`, `Heading`, `Text`, ...) derives from it,
// adds nothing but typed getters and setters, and holds exactly one `MarkupData`. A view built for a raw node
// of the wrong kind cannot exist: the element constructors that wrap a `MarkupData` throw `RawMarkup::Error`.
// Use `markup.as<Heading>()` to cast, `markup.is<Heading>()` to test.
//
// Identity: every tree has a root identifier drawn from the process-wide counter; every node of it has a
// child identifier equal to its preorder number (the root is 0). Editing builds a new tree with a new root
// identifier and shares every untouched subtree with the old one.

#include "Markdown/Base/RawMarkup.h"

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Markdown {

class Markup;
struct MarkupDumpOptions;
class MarkupFormatterOptions;

struct MarkupIdentifier {
    std::uint64_t rootId = 0;
    std::int64_t childId = 0;
    friend bool operator==(const MarkupIdentifier&, const MarkupIdentifier&) = default;
};

struct MarkupMetadata {
    MarkupIdentifier id;
    std::int64_t indexInParent = 0;
};

struct AbsoluteRawMarkup {
    RawMarkupRef markup;
    MarkupMetadata metadata;
};

/// The per-view data: the raw node, where it sits, and the parent view it was reached from. A view keeps its
/// ancestors (and through them its whole tree) alive. Releasing a long parent chain takes constant stack.
class MarkupData {
public:
    MarkupData(AbsoluteRawMarkup raw, std::shared_ptr<MarkupData> parent)
        : raw_(std::move(raw)), parent_(std::move(parent)) {}
    MarkupData(const MarkupData&) = default;
    MarkupData(MarkupData&&) noexcept = default;
    MarkupData& operator=(const MarkupData&) = default;
    MarkupData& operator=(MarkupData&&) noexcept = default;
    ~MarkupData();

    /// A new root view of `node`: fresh root identifier, child identifier 0, no parent.
    static MarkupData newRoot(RawMarkupRef node);

    const AbsoluteRawMarkup& raw() const { return raw_; }
    const RawMarkup& node() const { return *raw_.markup; }
    const MarkupIdentifier& id() const { return raw_.metadata.id; }
    std::int64_t indexInParent() const { return raw_.metadata.indexInParent; }
    /// The parent view's data, or null for a root.
    const MarkupData* parent() const { return parent_.get(); }

    /// The view of the child at `position`, or nothing outside 0 ..< childCount.
    std::optional<MarkupData> child(std::int64_t position) const;

    /// This view's position with `newNode` in its place, in a new tree whose ancestors are rebuilt up to a
    /// root with a fresh identifier. The first parent takes the new node's range (or keeps its own with
    /// `preserveRange`); each further ancestor takes the range of the one below. Cost: proportional to depth
    /// and to the sibling counts along the path.
    MarkupData replacingSelf(RawMarkupRef newNode, bool preserveRange) const;

    /// Puts `newNode` at the descendant reached by `positions` and rebuilds the path up through this view
    /// (and its ancestors, as `replacingSelf`); every rebuilt node from this view down keeps its own range
    /// with `preserveRange`. Nothing when `positions` is empty or leaves the tree.
    std::optional<MarkupData> substitutingChild(RawMarkupRef newNode, std::span<const std::int64_t> positions,
                                                bool preserveRange) const;

private:
    AbsoluteRawMarkup raw_;
    std::shared_ptr<MarkupData> parent_;
};

/// A path from a view down to a descendant; each step gives a child position and, optionally, the kind the
/// child reached there must have.
class TypedChildIndexPath {
public:
    struct Element {
        std::int64_t index;
        std::optional<RawKind> expectedKind;
    };

    TypedChildIndexPath() = default;
    TypedChildIndexPath(std::initializer_list<Element> elements) : elements_(elements) {}
    explicit TypedChildIndexPath(std::vector<Element> elements) : elements_(std::move(elements)) {}

    std::int64_t count() const { return static_cast<std::int64_t>(elements_.size()); }
    const Element& operator[](std::int64_t position) const {
        return elements_.at(static_cast<std::size_t>(position));
    }
    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }

private:
    std::vector<Element> elements_;
};

template <class Element> class ReversedChildSequence;

/// The children of a view in document order, each made on the fly as an `Element` view (`Markup` for the
/// plain children sequence). Constant time per step.
template <class Element> class ChildSequence {
public:
    class Iterator {
    public:
        using value_type = Element;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Iterator(std::shared_ptr<MarkupData> parent, MarkupMetadata childMetadata)
            : parent_(std::move(parent)), childMetadata_(childMetadata) {}

        Element operator*() const {
            return Element(
                MarkupData({parent_->node().child(childMetadata_.indexInParent), childMetadata_}, parent_));
        }
        Iterator& operator++() {
            childMetadata_.id.childId += parent_->node().child(childMetadata_.indexInParent)->subtreeCount();
            ++childMetadata_.indexInParent;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const Iterator& it, std::default_sentinel_t) {
            return it.childMetadata_.indexInParent >= it.parent_->node().childCount();
        }

    private:
        std::shared_ptr<MarkupData> parent_;
        MarkupMetadata childMetadata_;
    };

    explicit ChildSequence(const MarkupData& parent) : parent_(std::make_shared<MarkupData>(parent)) {}

    Iterator begin() const {
        const MarkupIdentifier& id = parent_->id();
        return Iterator(parent_, MarkupMetadata{{id.rootId, id.childId + 1}, 0});
    }
    std::default_sentinel_t end() const { return {}; }
    ReversedChildSequence<Element> reversed() const { return ReversedChildSequence<Element>(parent_); }
    std::int64_t size() const { return parent_->node().childCount(); }

private:
    std::shared_ptr<MarkupData> parent_;
};

/// The children of a view from last to first, with the same identities as the forward sequence.
template <class Element> class ReversedChildSequence {
public:
    class Iterator {
    public:
        using value_type = Element;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Iterator(std::shared_ptr<MarkupData> parent, MarkupMetadata childMetadata)
            : parent_(std::move(parent)), childMetadata_(childMetadata) {
            step();
        }

        Element operator*() const { return Element(MarkupData({current_, childMetadata_}, parent_)); }
        Iterator& operator++() {
            --childMetadata_.indexInParent;
            step();
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const Iterator& it, std::default_sentinel_t) {
            return it.childMetadata_.indexInParent < 0;
        }

    private:
        // Moves the running child identifier back over the child at the current index.
        void step() {
            if (childMetadata_.indexInParent >= 0) {
                current_ = parent_->node().child(childMetadata_.indexInParent);
                childMetadata_.id.childId -= current_->subtreeCount();
            }
        }

        std::shared_ptr<MarkupData> parent_;
        MarkupMetadata childMetadata_;
        RawMarkupRef current_;
    };

    explicit ReversedChildSequence(std::shared_ptr<MarkupData> parent) : parent_(std::move(parent)) {}

    Iterator begin() const {
        const MarkupIdentifier& id = parent_->id();
        return Iterator(parent_, MarkupMetadata{{id.rootId, id.childId + parent_->node().subtreeCount()},
                                                parent_->node().childCount() - 1});
    }
    std::default_sentinel_t end() const { return {}; }

private:
    std::shared_ptr<MarkupData> parent_;
};

using MarkupChildren = ChildSequence<Markup>;
using ReversedMarkupChildren = ReversedChildSequence<Markup>;

/// Any range whose elements are element views (of one concrete type or type-erased).
template <class R>
concept MarkupRange = std::ranges::input_range<R> && std::convertible_to < std::ranges::range_reference_t<R>,
const Markup& > ;

/// The type-erased element view. Element types derive from it and store nothing else.
class Markup {
public:
    explicit Markup(MarkupData data) : _data(std::move(data)) {}

    const MarkupData& data() const { return _data; }
    RawKind kind() const { return _data.node().kind(); }
    /// The element type's name for this view's kind ("Heading", "Cell" for a table cell).
    std::string_view typeName() const;

    std::optional<Markup> parent() const;
    Markup root() const;
    std::int64_t indexInParent() const { return _data.indexInParent(); }
    std::int64_t childCount() const { return _data.node().childCount(); }
    bool isEmpty() const { return childCount() == 0; }
    std::optional<SourceRange> range() const { return _data.node().parsedRange(); }

    MarkupChildren children() const { return MarkupChildren(_data); }
    /// The child at `position`; nothing when the position is negative or at or beyond `childCount`.
    std::optional<Markup> child(std::int64_t position) const;
    /// The descendant reached by following `path`; nothing when a step leaves the tree or meets another kind
    /// than expected. An empty path gives this view.
    std::optional<Markup> child(const TypedChildIndexPath& path) const;
    std::optional<Markup> child(std::initializer_list<std::int64_t> positions) const;
    template <std::ranges::input_range R>
    requires std::convertible_to<std::ranges::range_reference_t<R>, std::int64_t> std::optional<Markup>
    child(const R& positions)
    const {
        std::vector<TypedChildIndexPath::Element> steps;
        for (std::int64_t position : positions) {
            steps.push_back({position, std::nullopt});
        }
        return child(TypedChildIndexPath(std::move(steps)));
    }

    /// Same tree and same position in it.
    bool isIdentical(const Markup& other) const { return _data.id() == other._data.id(); }
    bool hasSameStructure(const Markup& other) const {
        return _data.node().hasSameStructure(other._data.node());
    }

    /// This element with `children` in place of its own (their kinds are not checked), at its place in a
    /// rebuilt tree. The element keeps its range and hands it to its ancestors.
    Markup withUncheckedChildren(std::span<const Markup> children) const;
    template <MarkupRange R> Markup withUncheckedChildren(const R& children) const {
        std::vector<Markup> erased(std::ranges::begin(children), std::ranges::end(children));
        return withUncheckedChildren(std::span<const Markup>(erased));
    }
    /// The same raw subtree as the root of a new tree (itself when already a root).
    Markup detachedFromParent() const;

    /// The indented debug dump of this element's subtree.
    std::string debugDescription(MarkupDumpOptions options) const;
    std::string debugDescription() const;
    /// This element and its subtree printed as Markdown text.
    std::string format(const MarkupFormatterOptions& options) const;
    /// A copy of this element in which every soft break of the subtree is a text of one space; nothing when
    /// this element is itself a soft break.
    std::optional<Markup> withoutSoftBreaks() const;

    template <class T> bool is() const {
        if constexpr (std::same_as<T, Markup>) {
            return true;
        } else {
            return kind() == T::rawKind;
        }
    }
    template <class T> std::optional<T> as() const {
        if (!is<T>()) {
            return std::nullopt;
        }
        return T(_data);
    }

    /// Calls the visitor's operation for this element's own type (defined with the visitor).
    template <class Visitor> auto accept(Visitor& visitor) const;

protected:
    /// Collects the raw nodes of element views, dropping their identity and parents.
    template <MarkupRange R> static std::vector<RawMarkupRef> rawNodesOf(const R& elements) {
        std::vector<RawMarkupRef> nodes;
        for (const Markup& element : elements) {
            nodes.push_back(element._data.raw().markup);
        }
        return nodes;
    }
    /// A new root over a new node of `data` with `children`; its range spans the children's with
    /// `inheritSourceRange`, else none.
    static MarkupData buildRoot(RawMarkupData data, const std::vector<RawMarkupRef>& children,
                                bool inheritSourceRange = false);
    /// Throws RawMarkup::Error unless the view's node is of `kind`.
    static MarkupData checkedData(MarkupData data, RawKind kind, std::string_view typeName);

    /// Rebuilds this element with `data` as its kind and payload, no range and its current children.
    void rebuildWithPayload(RawMarkupData data);
    /// Puts `incoming` in place of the children at positions lower ..< upper, keeping this element's own
    /// payload and range. Throws std::out_of_range (changing nothing) unless 0 <= lower <= upper <=
    /// childCount.
    void replaceChildren(std::int64_t lower, std::int64_t upper, const std::vector<RawMarkupRef>& incoming);

    MarkupData _data;
};

/// Wraps view data in the element type of its node's kind, type-erased.
inline Markup makeMarkup(MarkupData data) {
    return Markup(std::move(data));
}

} // namespace Markdown
