#pragma once

#include "Markdown/Visitor/MarkupVisitor.h"

namespace Markdown {

/// A visitor that returns nothing and, by default, visits every element depth-first: parent before children,
/// children in document order. An operation supplied by the walker takes its element out of that descent
/// unless it calls `descendInto` itself. Deep trees continue on a helper stack once the caller's runs low
/// (see TraversalStack.h).
template <class Derived> class MarkupWalker : public MarkupVisitor<Derived, void> {
public:
    void defaultVisit(const Markup& markup) { this->derived().descendInto(markup); }

    /// Visits each child of `markup` in order through `visit`.
    void descendInto(const Markup& markup) {
        withinTraversalLevel([&] {
            for (const Markup& child : markup.children()) {
                this->derived().visit(child);
            }
        });
    }
};

} // namespace Markdown
