#pragma once

#include "Markdown/InlineNodes/InlineLeaves.h"

#include <optional>
#include <string>

namespace Markdown {

class Emphasis : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(Emphasis, emphasis, visitEmphasis, InlineContainerBase)
    QS_MARKDOWN_CHILDREN_CONSTRUCTORS(Emphasis, InlineContainerBase, RawMarkupData::withoutPayload(rawKind),
                                      isInlineKind, "an inline element")
};

class Strong : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(Strong, strong, visitStrong, InlineContainerBase)
    QS_MARKDOWN_CHILDREN_CONSTRUCTORS(Strong, InlineContainerBase, RawMarkupData::withoutPayload(rawKind),
                                      isInlineKind, "an inline element")
};

/// Struck-through text; its plain text is wrapped in "~".
class Strikethrough : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(Strikethrough, strikethrough, visitStrikethrough, InlineContainerBase)
    QS_MARKDOWN_CHILDREN_CONSTRUCTORS(Strikethrough, InlineContainerBase,
                                      RawMarkupData::withoutPayload(rawKind), isInlineKind,
                                      "an inline element")
};

/// A link over recurring inlines. Built or set through here, an empty destination or title is stored absent.
class Link : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(Link, link, visitLink, InlineContainerBase)

public:
    explicit Link(std::optional<std::string> destination = std::nullopt,
                  std::optional<std::string> title = std::nullopt, const std::vector<Markup>& children = {})
        : Link(std::move(destination), std::move(title), children, 0) {}
    template <MarkupRange R>
    Link(std::optional<std::string> destination, std::optional<std::string> title, const R& children)
        : Link(std::move(destination), std::move(title), children, 0) {}

    const std::optional<std::string>& destination() const {
        return _data.node().data().linkPayload().destination;
    }
    const std::optional<std::string>& title() const { return _data.node().data().linkPayload().title; }
    /// Both setters always rebuild, keeping the other field.
    void setDestination(std::optional<std::string> destination);
    void setTitle(std::optional<std::string> title);
    /// A destination and exactly one child, a text canonically equal to it.
    bool isAutolink() const;

private:
    template <MarkupRange R>
    Link(std::optional<std::string> destination, std::optional<std::string> title, const R& children, int)
        : InlineContainerBase(buildRoot(RawMarkupData::link(presentUnlessEmpty(std::move(destination)),
                                                            presentUnlessEmpty(std::move(title))),
                                        checkedChildNodes(children, isRecurringInlineKind,
                                                          "a recurring inline element", elementName))) {}

    static std::optional<std::string> presentUnlessEmpty(std::optional<std::string> value) {
        return value && value->empty() ? std::nullopt : std::move(value);
    }

    friend class Image;
};

/// An image; its children are the alternative text. Built or set through here, an empty source or title is
/// stored absent; the setters change nothing for the value already stored.
class Image : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(Image, image, visitImage, InlineContainerBase)

public:
    explicit Image(std::optional<std::string> source = std::nullopt,
                   std::optional<std::string> title = std::nullopt, const std::vector<Markup>& children = {})
        : Image(std::move(source), std::move(title), children, 0) {}
    template <MarkupRange R>
    Image(std::optional<std::string> source, std::optional<std::string> title, const R& children)
        : Image(std::move(source), std::move(title), children, 0) {}

    const std::optional<std::string>& source() const { return _data.node().data().linkPayload().destination; }
    const std::optional<std::string>& title() const { return _data.node().data().linkPayload().title; }
    void setSource(std::optional<std::string> source);
    void setTitle(std::optional<std::string> title);

private:
    template <MarkupRange R>
    Image(std::optional<std::string> source, std::optional<std::string> title, const R& children, int)
        : InlineContainerBase(buildRoot(RawMarkupData::image(Link::presentUnlessEmpty(std::move(source)),
                                                             Link::presentUnlessEmpty(std::move(title))),
                                        checkedChildNodes(children, isRecurringInlineKind,
                                                          "a recurring inline element", elementName))) {}
};

/// A span carrying an attribute string, stored unchanged (the empty string included).
class InlineAttributes : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(InlineAttributes, inlineAttributes, visitInlineAttributes, InlineContainerBase)

public:
    explicit InlineAttributes(std::string attributes = {}, const std::vector<Markup>& children = {})
        : InlineAttributes(std::move(attributes), children, 0) {}
    template <MarkupRange R>
    InlineAttributes(std::string attributes, const R& children)
        : InlineAttributes(std::move(attributes), children, 0) {}

    const std::string& attributes() const { return _data.node().data().stringPayload().value; }
    /// Always rebuilds.
    void setAttributes(std::string attributes) {
        rebuildWithPayload(RawMarkupData::inlineAttributes(std::move(attributes)));
    }

private:
    template <MarkupRange R>
    InlineAttributes(std::string attributes, const R& children, int)
        : InlineContainerBase(buildRoot(RawMarkupData::inlineAttributes(std::move(attributes)),
                                        checkedChildNodes(children, isRecurringInlineKind,
                                                          "a recurring inline element", elementName))) {}
};

} // namespace Markdown
