#pragma once

// Operations shared by the container families: typed children, replacing children in place, plain text.
// Edits are copy-on-write: the receiver moves into a rebuilt tree; every other view keeps the old one.

#include "Markdown/StructuralRestrictions/StructuralProtocols.h"

#include <cstdint>
#include <string>
#include <vector>

// Declares what every element type has: its kind, its name, the checked wrapping of view data and the visitor
// entry that calls exactly the visitor's operation for this type.
#define QS_MARKDOWN_ELEMENT(Type, Kind, VisitOperation, Base)                                                \
public:                                                                                                      \
    static constexpr ::Markdown::RawKind rawKind = ::Markdown::RawKind::Kind;                                \
    static constexpr std::string_view elementName = #Type;                                                   \
    explicit Type(::Markdown::MarkupData data) : Base(checkedData(std::move(data), rawKind, elementName)) {} \
    template <class Visitor> auto accept(Visitor& visitor) const {                                           \
        return visitor.VisitOperation(*this);                                                                \
    }

// Declares the constructors of a container built from children of one family and a fixed payload: from no
// children, from a braced list or vector of views, and from any range of views.
#define QS_MARKDOWN_CHILDREN_CONSTRUCTORS(Type, Base, Payload, Accepts, Family)                              \
public:                                                                                                      \
    Type() : Type(std::vector<::Markdown::Markup>{}) {}                                                      \
    explicit Type(const std::vector<::Markdown::Markup>& children, bool inheritSourceRange = false)          \
        : Type(children, inheritSourceRange, 0) {}                                                           \
    template <::Markdown::MarkupRange R>                                                                     \
    explicit Type(const R& children, bool inheritSourceRange = false)                                        \
        : Type(children, inheritSourceRange, 0) {}                                                           \
                                                                                                             \
private:                                                                                                     \
    template <::Markdown::MarkupRange R>                                                                     \
    Type(const R& children, bool inheritSourceRange, int)                                                    \
        : Base(buildRoot(Payload, ::Markdown::checkedChildNodes(children, Accepts, Family, elementName),     \
                         inheritSourceRange)) {}                                                             \
                                                                                                             \
public:

namespace Markdown {

/// Elements whose children are blocks.
class BlockContainerBase : public Markup {
public:
    using Markup::Markup;

    MarkupChildren blockChildren() const { return children(); }
    void setBlockChildren(const std::vector<Markup>& children) {
        replaceChildrenInRange(0, childCount(), children);
    }
    template <MarkupRange R> void setBlockChildren(const R& children) {
        replaceChildrenInRange(0, childCount(), children);
    }
    /// Puts `children` in place of positions lower ..< upper (lower == upper inserts). Throws
    /// std::out_of_range for positions outside 0 ... childCount and std::invalid_argument for a child that is
    /// not a block; either way nothing changes.
    void replaceChildrenInRange(std::int64_t lower, std::int64_t upper, const std::vector<Markup>& children) {
        replaceChildrenInRange<std::vector<Markup>>(lower, upper, children);
    }
    template <MarkupRange R>
    void replaceChildrenInRange(std::int64_t lower, std::int64_t upper, const R& children) {
        const std::vector<RawMarkupRef> nodes = rawNodesOf(children);
        requireChildKinds(nodes, isBlockKind, "a block element", typeName());
        replaceChildren(lower, upper, nodes);
    }
};

/// Elements whose children are inlines.
class InlineContainerBase : public Markup {
public:
    using Markup::Markup;

    MarkupChildren inlineChildren() const { return children(); }
    void setInlineChildren(const std::vector<Markup>& children) {
        replaceChildrenInRange(0, childCount(), children);
    }
    template <MarkupRange R> void setInlineChildren(const R& children) {
        replaceChildrenInRange(0, childCount(), children);
    }
    /// As `BlockContainerBase::replaceChildrenInRange`, for inline children.
    void replaceChildrenInRange(std::int64_t lower, std::int64_t upper, const std::vector<Markup>& children) {
        replaceChildrenInRange<std::vector<Markup>>(lower, upper, children);
    }
    template <MarkupRange R>
    void replaceChildrenInRange(std::int64_t lower, std::int64_t upper, const R& children) {
        const std::vector<RawMarkupRef> nodes = rawNodesOf(children);
        requireChildKinds(nodes, isInlineKind, "an inline element", typeName());
        replaceChildren(lower, upper, nodes);
    }
    /// The plain texts of the inline children, run together.
    std::string plainText() const { return plainTextOf(_data.node()); }
};

/// Checked child nodes for an initialiser: the raw nodes of `children`, each of the family `accepts` names.
template <MarkupRange R>
std::vector<RawMarkupRef> checkedChildNodes(const R& children, bool (*accepts)(RawKind),
                                            std::string_view family, std::string_view receiver) {
    std::vector<RawMarkupRef> nodes;
    for (const Markup& child : children) {
        nodes.push_back(child.data().raw().markup);
    }
    requireChildKinds(nodes, accepts, family, receiver);
    return nodes;
}

} // namespace Markdown
