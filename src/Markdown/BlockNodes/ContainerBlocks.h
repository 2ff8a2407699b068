#pragma once

#include "Markdown/StructuralRestrictions/Containers.h"

#include <optional>

namespace Markdown {

class BlockQuote : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(BlockQuote, blockQuote, visitBlockQuote, BlockContainerBase)
    QS_MARKDOWN_CHILDREN_CONSTRUCTORS(BlockQuote, BlockContainerBase, RawMarkupData::withoutPayload(rawKind),
                                      isBlockKind, "a block element")
};

class CustomBlock : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(CustomBlock, customBlock, visitCustomBlock, BlockContainerBase)
    QS_MARKDOWN_CHILDREN_CONSTRUCTORS(CustomBlock, BlockContainerBase, RawMarkupData::withoutPayload(rawKind),
                                      isBlockKind, "a block element")
};

class Paragraph : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(Paragraph, paragraph, visitParagraph, InlineContainerBase)
    QS_MARKDOWN_CHILDREN_CONSTRUCTORS(Paragraph, InlineContainerBase, RawMarkupData::withoutPayload(rawKind),
                                      isInlineKind, "an inline element")
};

/// A list item: blocks, with a checkbox when it is a task item.
class ListItem : public BlockContainerBase {
    QS_MARKDOWN_ELEMENT(ListItem, listItem, visitListItem, BlockContainerBase)

public:
    explicit ListItem(std::optional<Checkbox> checkbox = std::nullopt,
                      const std::vector<Markup>& children = {})
        : ListItem(checkbox, children, 0) {}
    template <MarkupRange R>
    ListItem(std::optional<Checkbox> checkbox, const R& children) : ListItem(checkbox, children, 0) {}

    std::optional<Checkbox> checkbox() const { return _data.node().data().listItemPayload().checkbox; }
    /// Always rebuilds, even for the value already stored.
    void setCheckbox(std::optional<Checkbox> checkbox) {
        rebuildWithPayload(RawMarkupData::listItem(checkbox));
    }

private:
    template <MarkupRange R>
    ListItem(std::optional<Checkbox> checkbox, const R& children, int)
        : BlockContainerBase(
              buildRoot(RawMarkupData::listItem(checkbox),
                        checkedChildNodes(children, isBlockKind, "a block element", elementName))) {}
};

template <class R>
concept ListItemRange =
    std::ranges::input_range<R> && std::convertible_to < std::ranges::range_reference_t<R>,
const ListItem& > ;

/// Lists: containers of list items.
class ListItemContainerBase : public Markup {
public:
    using Markup::Markup;

    ChildSequence<ListItem> listItems() const { return ChildSequence<ListItem>(_data); }
    void setListItems(const std::vector<ListItem>& items) { replaceItemsInRange(0, childCount(), items); }
    template <ListItemRange R> void setListItems(const R& items) {
        replaceItemsInRange(0, childCount(), items);
    }
    /// Puts `items` in place of positions lower ..< upper. Throws std::out_of_range (changing nothing) for
    /// positions outside 0 ... childCount.
    void replaceItemsInRange(std::int64_t lower, std::int64_t upper, const std::vector<ListItem>& items) {
        replaceChildren(lower, upper, rawNodesOf(items));
    }
    template <ListItemRange R>
    void replaceItemsInRange(std::int64_t lower, std::int64_t upper, const R& items) {
        replaceChildren(lower, upper, rawNodesOf(items));
    }
    void appendItem(const ListItem& item) {
        replaceItemsInRange(childCount(), childCount(), std::vector{item});
    }
};

class OrderedList : public ListItemContainerBase {
    QS_MARKDOWN_ELEMENT(OrderedList, orderedList, visitOrderedList, ListItemContainerBase)

public:
    /// A list of `items` starting at 1.
    explicit OrderedList(const std::vector<ListItem>& items = {})
        : ListItemContainerBase(buildRoot(RawMarkupData::orderedList(1), rawNodesOf(items))) {}
    explicit OrderedList(const ListItem& item) : OrderedList(std::vector{item}) {}
    template <ListItemRange R>
    explicit OrderedList(const R& items)
        : ListItemContainerBase(buildRoot(RawMarkupData::orderedList(1), rawNodesOf(items))) {}

    std::uint64_t startIndex() const { return _data.node().data().orderedListPayload().startIndex; }
    /// Changes nothing when `startIndex` is the value already stored.
    void setStartIndex(std::uint64_t startIndex) {
        if (startIndex != this->startIndex()) {
            rebuildWithPayload(RawMarkupData::orderedList(startIndex));
        }
    }
};

class UnorderedList : public ListItemContainerBase {
    QS_MARKDOWN_ELEMENT(UnorderedList, unorderedList, visitUnorderedList, ListItemContainerBase)

public:
    explicit UnorderedList(const std::vector<ListItem>& items = {})
        : ListItemContainerBase(buildRoot(RawMarkupData::withoutPayload(rawKind), rawNodesOf(items))) {}
    explicit UnorderedList(const ListItem& item) : UnorderedList(std::vector{item}) {}
    template <ListItemRange R>
    explicit UnorderedList(const R& items)
        : ListItemContainerBase(buildRoot(RawMarkupData::withoutPayload(rawKind), rawNodesOf(items))) {}
};

} // namespace Markdown
