#pragma once

#include "Markdown/Visitor/MarkupVisitor.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Markdown {

/// A visitor that turns a tree into a new one: each visit returns the element to put in the visited one's
/// place, or nothing to drop it. By default every element is rebuilt from its rewritten children with its
/// own payload and range, so a rewrite that changes nothing still gives new identities. Deep trees are
/// rewritten on a helper stack once the caller's runs low (see TraversalStack.h).
///
/// The element the rewrite starts at comes back at its place in a rebuilt tree. An element rewritten by
/// default inside another's default rewrite comes back as a root of its own: its parent takes only its node,
/// and placing each child in a tree of its own would copy every wide parent once per child.
template <class Derived> class MarkupRewriter : public MarkupVisitor<Derived, std::optional<Markup>> {
public:
    std::optional<Markup> defaultVisit(const Markup& markup) {
        std::vector<Markup> newChildren;
        {
            const OpenDefaultVisit open(openDefaultVisits_);
            withinTraversalLevel([&] {
                for (const Markup& child : markup.children()) {
                    if (std::optional<Markup> rewritten = this->derived().visit(child)) {
                        newChildren.push_back(std::move(*rewritten));
                    }
                }
            });
        }
        if (openDefaultVisits_ > 0) {
            return Markup(MarkupData::newRoot(
                RawMarkup::create(markup.data().node().data(), markup.range(), rawNodesOf(newChildren))));
        }
        return std::optional<Markup>(markup.withUncheckedChildren(newChildren));
    }

private:
    class OpenDefaultVisit {
    public:
        explicit OpenDefaultVisit(std::int64_t& count) : count_(count) { ++count_; }
        ~OpenDefaultVisit() { --count_; }
        OpenDefaultVisit(const OpenDefaultVisit&) = delete;
        OpenDefaultVisit& operator=(const OpenDefaultVisit&) = delete;

    private:
        std::int64_t& count_;
    };

    static std::vector<RawMarkupRef> rawNodesOf(const std::vector<Markup>& elements) {
        std::vector<RawMarkupRef> nodes;
        nodes.reserve(elements.size());
        for (const Markup& element : elements) {
            nodes.push_back(element.data().raw().markup);
        }
        return nodes;
    }

    std::int64_t openDefaultVisits_ = 0;
};

} // namespace Markdown
