#include "Markdown/InlineNodes/InlineContainers.h"

#include "Markdown/Infrastructure/CanonicalEquivalence.h"

namespace Markdown {

namespace {

bool equalOptionalStrings(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (!a || !b) {
        return !a && !b;
    }
    return canonicallyEqual(*a, *b);
}

} // namespace

void Link::setDestination(std::optional<std::string> destination) {
    rebuildWithPayload(RawMarkupData::link(presentUnlessEmpty(std::move(destination)), title()));
}

void Link::setTitle(std::optional<std::string> title) {
    rebuildWithPayload(RawMarkupData::link(destination(), presentUnlessEmpty(std::move(title))));
}

bool Link::isAutolink() const {
    const std::optional<std::string>& target = destination();
    if (!target || childCount() != 1) {
        return false;
    }
    const RawMarkup& only = *_data.node().child(0);
    return only.kind() == RawKind::text && canonicallyEqual(only.data().stringPayload().value, *target);
}

void Image::setSource(std::optional<std::string> source) {
    if (equalOptionalStrings(source, this->source())) {
        return;
    }
    rebuildWithPayload(RawMarkupData::image(Link::presentUnlessEmpty(std::move(source)), title()));
}

void Image::setTitle(std::optional<std::string> title) {
    if (equalOptionalStrings(title, this->title())) {
        return;
    }
    rebuildWithPayload(RawMarkupData::image(source(), Link::presentUnlessEmpty(std::move(title))));
}

} // namespace Markdown
