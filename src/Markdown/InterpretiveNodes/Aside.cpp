#include "Markdown/InterpretiveNodes/Aside.h"

#include "Markdown/Infrastructure/CanonicalEquivalence.h"
#include "Markdown/InlineNodes/InlineLeaves.h"

#include <array>

namespace Markdown {

namespace {

std::vector<Markup> childrenOf(const Markup& markup) {
    std::vector<Markup> children;
    for (const Markup& child : markup.children()) {
        children.push_back(child);
    }
    return children;
}

} // namespace

const std::vector<Aside::Kind>& Aside::Kind::allCases() {
    static const std::vector<Kind> kinds = {
        note(),
        tip(),
        important(),
        experiment(),
        warning(),
        attention(),
        author(),
        authors(),
        bug(),
        complexity(),
        copyright(),
        date(),
        invariant(),
        mutatingVariant(),
        nonMutatingVariant(),
        postcondition(),
        precondition(),
        remark(),
        requires_(),
        since(),
        todo(),
        version(),
        throws(),
        seeAlso(),
    };
    return kinds;
}

std::string Aside::Kind::displayName() const {
    static const std::array<std::pair<std::string_view, std::string_view>, 4> compoundNames = {{
        {"SeeAlso", "See Also"},
        {"NonMutatingVariant", "Non-Mutating Variant"},
        {"MutatingVariant", "Mutating Variant"},
        {"ToDo", "To Do"},
    }};
    for (const auto& [raw, display] : compoundNames) {
        if (rawValue == raw) {
            return std::string(display);
        }
    }
    return rawValue;
}

bool operator==(const Aside::Kind& a, const Aside::Kind& b) {
    return canonicallyEqual(a.rawValue, b.rawValue);
}

Aside::Aside(const BlockQuote& blockQuote) : Aside(*make(blockQuote, TagRequirement::tagNotRequired)) {}

std::optional<Aside> Aside::make(const BlockQuote& blockQuote, TagRequirement tagRequirement) {
    if (std::optional<AsideTag> parsed = parseAsideTag(blockQuote, tagRequirement)) {
        return Aside(Kind(std::move(parsed->tag)), childrenOf(parsed->newBlockQuote));
    }
    if (tagRequirement != TagRequirement::tagNotRequired) {
        return std::nullopt;
    }
    return Aside(Kind::note(), childrenOf(blockQuote));
}

std::optional<AsideTag> parseAsideTag(const BlockQuote& blockQuote, Aside::TagRequirement tagRequirement) {
    const std::optional<Markup> first =
        blockQuote.child(TypedChildIndexPath{{0, RawKind::paragraph}, {0, RawKind::text}});
    if (!first) {
        return std::nullopt;
    }
    const Text text(first->data());
    const std::string& string = text.string();
    const std::size_t colon = string.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    std::string tag = string.substr(0, colon);
    if (tagRequirement == Aside::TagRequirement::requireSingleWordTag && tag.find(' ') != std::string::npos) {
        return std::nullopt;
    }
    std::size_t restStart = colon + 1;
    while (restStart < string.size() && (string[restStart] == ' ' || string[restStart] == '\t')) {
        ++restStart;
    }
    const auto shift = static_cast<std::int64_t>(restStart);

    std::optional<SourceRange> newRange;
    if (const std::optional<SourceRange>& oldRange = text.range()) {
        SourceLocation start(oldRange->start().line(), oldRange->start().column() + shift,
                             oldRange->start().source());
        // A recorded range shorter than its text would otherwise put the start after the end.
        newRange = SourceRange(start > oldRange->end() ? oldRange->end() : start, oldRange->end());
    }
    RawMarkupRef newText =
        RawMarkup::create(RawMarkupData::text(string.substr(restStart)), std::move(newRange), {});
    const std::array<std::int64_t, 2> positions{0, 0};
    std::optional<MarkupData> rebuilt =
        blockQuote.data().substitutingChild(std::move(newText), positions, true);
    if (!rebuilt || rebuilt->node().kind() != RawKind::blockQuote) {
        return std::nullopt;
    }
    return AsideTag{std::move(tag), BlockQuote(std::move(*rebuilt))};
}

} // namespace Markdown
