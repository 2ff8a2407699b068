#pragma once

#include <Markdown/Markdown.h>

#include <optional>
#include <string>
#include <vector>

namespace ModelTest {

using namespace Markdown;

inline SourceRange rangeOf(std::int64_t startLine, std::int64_t startColumn, std::int64_t endLine,
                           std::int64_t endColumn) {
    return SourceRange(SourceLocation(startLine, startColumn), SourceLocation(endLine, endColumn));
}

/// A node as the parser makes it: built directly from kind, payload, range and children.
inline RawMarkupRef parsedNode(RawMarkupData data, std::optional<SourceRange> range,
                               std::vector<RawMarkupRef> children = {}) {
    return RawMarkup::create(std::move(data), std::move(range), children);
}

inline RawMarkupRef parsedNode(RawKind kind, std::optional<SourceRange> range,
                               std::vector<RawMarkupRef> children = {}) {
    return parsedNode(RawMarkupData::withoutPayload(kind), std::move(range), std::move(children));
}

/// Wraps a raw node as the root view of a new tree, in the element type `T`.
template <class T = Markup> T rootView(RawMarkupRef node) {
    return T(MarkupData::newRoot(std::move(node)));
}

inline std::vector<Markup> childrenOf(const Markup& markup) {
    std::vector<Markup> children;
    for (const Markup& child : markup.children()) {
        children.push_back(child);
    }
    return children;
}

inline std::uint64_t rootIdOf(const Markup& markup) {
    return markup.data().id().rootId;
}
inline std::int64_t childIdOf(const Markup& markup) {
    return markup.data().id().childId;
}

/// "Note: Hello" as a parsed block quote: > Note: Hello, the text starting at column 3 of line 1.
inline BlockQuote parsedQuote(const std::string& firstText, std::optional<SourceRange> textRange,
                              std::vector<RawMarkupRef> moreInlines = {}) {
    std::vector<RawMarkupRef> inlines{parsedNode(RawMarkupData::text(firstText), textRange)};
    inlines.insert(inlines.end(), moreInlines.begin(), moreInlines.end());
    const RawMarkupRef paragraph = parsedNode(RawKind::paragraph, textRange, inlines);
    return rootView<BlockQuote>(parsedNode(RawKind::blockQuote, textRange, {paragraph}));
}

} // namespace ModelTest
