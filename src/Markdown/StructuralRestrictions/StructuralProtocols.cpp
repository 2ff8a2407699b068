#include "Markdown/StructuralRestrictions/StructuralProtocols.h"

#include <stdexcept>
#include <vector>

namespace Markdown {

void requireChildKinds(std::span<const RawMarkupRef> nodes, bool (*accepts)(RawKind), std::string_view family,
                       std::string_view receiver) {
    for (const RawMarkupRef& node : nodes) {
        if (!accepts(node->kind())) {
            throw std::invalid_argument(std::string(receiver) + ": a " +
                                        std::string(rawKindName(node->kind())) + " is not " +
                                        std::string(family));
        }
    }
}

namespace {

void appendLeafPlainText(const RawMarkup& node, std::string& out) {
    switch (node.kind()) {
    case RawKind::text:
    case RawKind::inlineHTML:
    case RawKind::customInline:
        out += node.data().stringPayload().value;
        break;
    case RawKind::inlineCode:
        out += "`" + node.data().stringPayload().value + "`";
        break;
    case RawKind::lineBreak:
        out += "\n";
        break;
    case RawKind::softBreak:
        out += " ";
        break;
    case RawKind::symbolLink:
        out += "``" + node.data().symbolLinkPayload().destination.value_or("") + "``";
        break;
    default:
        break;
    }
}

} // namespace

std::string plainTextOf(const RawMarkup& node) {
    std::string out;
    if (!isInlineContainerKind(node.kind())) {
        appendLeafPlainText(node, out);
        return out;
    }
    // Each entry is a node still to print, or (node null) a closing "~" of a strikethrough.
    std::vector<const RawMarkup*> pending;
    auto pushInlineChildren = [&pending](const RawMarkup& container) {
        const auto children = container.children();
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            if (isInlineKind((*child)->kind())) {
                pending.push_back(child->get());
            }
        }
    };
    const bool outerStrikethrough = node.kind() == RawKind::strikethrough;
    if (outerStrikethrough) {
        out += "~";
    }
    pushInlineChildren(node);
    while (!pending.empty()) {
        const RawMarkup* current = pending.back();
        pending.pop_back();
        if (!current) {
            out += "~";
        } else if (!isInlineContainerKind(current->kind())) {
            appendLeafPlainText(*current, out);
        } else {
            if (current->kind() == RawKind::strikethrough) {
                out += "~";
                pending.push_back(nullptr);
            }
            pushInlineChildren(*current);
        }
    }
    if (outerStrikethrough) {
        out += "~";
    }
    return out;
}

} // namespace Markdown
