#pragma once

// The element families (block, inline, containers of each, list-item containers, literal elements) as
// compile-time concepts over element types and as run-time predicates over node kinds. Initialisers that take
// type-erased `Markup` children check them at run time and throw std::invalid_argument for a child of the
// wrong family, before anything is built.

#include "Markdown/Base/Markup.h"

#include <concepts>
#include <span>
#include <string>
#include <string_view>

namespace Markdown {

constexpr bool isBlockKind(RawKind kind) {
    switch (kind) {
    case RawKind::document:
    case RawKind::blockQuote:
    case RawKind::customBlock:
    case RawKind::listItem:
    case RawKind::orderedList:
    case RawKind::unorderedList:
    case RawKind::paragraph:
    case RawKind::codeBlock:
    case RawKind::htmlBlock:
    case RawKind::heading:
    case RawKind::thematicBreak:
    case RawKind::table:
    case RawKind::blockDirective:
    case RawKind::doxygenAbstract:
    case RawKind::doxygenDiscussion:
    case RawKind::doxygenNote:
    case RawKind::doxygenParam:
    case RawKind::doxygenReturns:
        return true;
    default:
        return false;
    }
}

/// Inline elements that may appear inside links, images and inline attributes.
constexpr bool isRecurringInlineKind(RawKind kind) {
    switch (kind) {
    case RawKind::text:
    case RawKind::inlineCode:
    case RawKind::inlineHTML:
    case RawKind::customInline:
    case RawKind::lineBreak:
    case RawKind::softBreak:
    case RawKind::emphasis:
    case RawKind::strong:
    case RawKind::strikethrough:
        return true;
    default:
        return false;
    }
}

constexpr bool isInlineKind(RawKind kind) {
    return isRecurringInlineKind(kind) || kind == RawKind::symbolLink || kind == RawKind::link ||
           kind == RawKind::image || kind == RawKind::inlineAttributes;
}

constexpr bool isBlockContainerKind(RawKind kind) {
    switch (kind) {
    case RawKind::document:
    case RawKind::blockQuote:
    case RawKind::customBlock:
    case RawKind::listItem:
    case RawKind::blockDirective:
    case RawKind::doxygenAbstract:
    case RawKind::doxygenDiscussion:
    case RawKind::doxygenNote:
    case RawKind::doxygenParam:
    case RawKind::doxygenReturns:
        return true;
    default:
        return false;
    }
}

constexpr bool isBasicBlockContainerKind(RawKind kind) {
    return kind == RawKind::document || kind == RawKind::blockQuote || kind == RawKind::customBlock;
}

constexpr bool isInlineContainerKind(RawKind kind) {
    switch (kind) {
    case RawKind::paragraph:
    case RawKind::heading:
    case RawKind::tableCell:
    case RawKind::emphasis:
    case RawKind::strong:
    case RawKind::strikethrough:
    case RawKind::link:
    case RawKind::image:
    case RawKind::inlineAttributes:
        return true;
    default:
        return false;
    }
}

constexpr bool isBasicInlineContainerKind(RawKind kind) {
    return kind == RawKind::paragraph || kind == RawKind::tableCell || kind == RawKind::emphasis ||
           kind == RawKind::strong || kind == RawKind::strikethrough;
}

constexpr bool isListItemContainerKind(RawKind kind) {
    return kind == RawKind::orderedList || kind == RawKind::unorderedList;
}

constexpr bool isPlainTextConvertibleKind(RawKind kind) {
    return isInlineKind(kind) || isInlineContainerKind(kind);
}

constexpr bool isLiteralKind(RawKind kind) {
    return kind == RawKind::htmlBlock || kind == RawKind::text || kind == RawKind::inlineHTML;
}

template <class T>
concept ElementType = std::derived_from<T, Markup> && requires {
    { T::rawKind } -> std::convertible_to<RawKind>;
};
template <class T>
concept BlockMarkup = ElementType<T> && isBlockKind(T::rawKind);
template <class T>
concept InlineMarkup = ElementType<T> && isInlineKind(T::rawKind);
template <class T>
concept RecurringInlineMarkup = ElementType<T> && isRecurringInlineKind(T::rawKind);
template <class T>
concept BlockContainer = ElementType<T> && isBlockContainerKind(T::rawKind);
template <class T>
concept BasicBlockContainer = ElementType<T> && isBasicBlockContainerKind(T::rawKind);
template <class T>
concept InlineContainer = ElementType<T> && isInlineContainerKind(T::rawKind);
template <class T>
concept BasicInlineContainer = ElementType<T> && isBasicInlineContainerKind(T::rawKind);
template <class T>
concept ListItemContainer = ElementType<T> && isListItemContainerKind(T::rawKind);
template <class T>
concept PlainTextConvertibleMarkup = ElementType<T> && isPlainTextConvertibleKind(T::rawKind);
template <class T>
concept LiteralMarkup = ElementType<T> && isLiteralKind(T::rawKind);

/// Throws std::invalid_argument naming `receiver` and `family` when a node's kind fails `accepts`.
void requireChildKinds(std::span<const RawMarkupRef> nodes, bool (*accepts)(RawKind), std::string_view family,
                       std::string_view receiver);

/// The plain text of a plain-text-convertible node (its inline children's plain texts for a container).
/// Works without recursion, however deeply the inlines are nested.
std::string plainTextOf(const RawMarkup& node);

} // namespace Markdown
