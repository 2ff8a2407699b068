#pragma once

#include "Markdown/Visitor/MarkupVisitor.h"

#include <optional>
#include <vector>

namespace Markdown {

/// A visitor that turns a tree into a new one: each visit returns the element to put in the visited one's
/// place, or nothing to drop it. By default every element is rebuilt from its rewritten children with its
/// own payload and range, so a rewrite that changes nothing still gives new identities. Deep trees are
/// rewritten in stack-sized shares (see TraversalStack.h).
template <class Derived> class MarkupRewriter : public MarkupVisitor<Derived, std::optional<Markup>> {
public:
    std::optional<Markup> defaultVisit(const Markup& markup) {
        std::vector<Markup> newChildren;
        withinTraversalLevel([&] {
            for (const Markup& child : markup.children()) {
                if (std::optional<Markup> rewritten = this->derived().visit(child)) {
                    newChildren.push_back(std::move(*rewritten));
                }
            }
        });
        return std::optional<Markup>(markup.withUncheckedChildren(newChildren));
    }
};

} // namespace Markdown
