#include "Markdown/Rewriter/MarkupRewriter.h"

namespace Markdown {

namespace {

/// Replaces every soft break by a text of one space.
struct SoftBreakDeleter : MarkupRewriter<SoftBreakDeleter> {
    std::optional<Markup> visitSoftBreak(const SoftBreak&) { return Text(" "); }
};

} // namespace

std::optional<Markup> Markup::withoutSoftBreaks() const {
    SoftBreakDeleter deleter;
    std::optional<Markup> rewritten = deleter.visit(*this);
    if (!rewritten || rewritten->kind() != kind()) {
        return std::nullopt;
    }
    return rewritten;
}

} // namespace Markdown
