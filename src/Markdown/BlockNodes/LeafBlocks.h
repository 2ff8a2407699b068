#pragma once

#include "Markdown/StructuralRestrictions/Containers.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace Markdown {

/// Fenced or indented code with an optional language. An absent language and an empty one differ.
class CodeBlock : public Markup {
    QS_MARKDOWN_ELEMENT(CodeBlock, codeBlock, visitCodeBlock, Markup)

public:
    explicit CodeBlock(std::optional<std::string> language = std::nullopt, std::string code = {})
        : Markup(buildRoot(RawMarkupData::codeBlock(std::move(code), std::move(language)), {})) {}

    const std::string& code() const { return payload().code; }
    const std::optional<std::string>& language() const { return payload().language; }
    /// Both setters always rebuild, keeping the other field.
    void setCode(std::string code) {
        rebuildWithPayload(RawMarkupData::codeBlock(std::move(code), language()));
    }
    void setLanguage(std::optional<std::string> language) {
        rebuildWithPayload(RawMarkupData::codeBlock(code(), std::move(language)));
    }

private:
    const CodeBlockPayload& payload() const { return _data.node().data().codeBlockPayload(); }
};

/// A block of raw HTML, stored as written.
class HTMLBlock : public Markup {
    QS_MARKDOWN_ELEMENT(HTMLBlock, htmlBlock, visitHTMLBlock, Markup)

public:
    explicit HTMLBlock(std::string rawHTML = {})
        : Markup(buildRoot(RawMarkupData::htmlBlock(std::move(rawHTML)), {})) {}

    const std::string& rawHTML() const { return _data.node().data().stringPayload().value; }
    /// Always rebuilds.
    void setRawHTML(std::string rawHTML) { rebuildWithPayload(RawMarkupData::htmlBlock(std::move(rawHTML))); }
};

/// A heading: a level over inline children.
class Heading : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(Heading, heading, visitHeading, InlineContainerBase)

public:
    /// Stores `level` as given (0 included); children must be inlines (else std::invalid_argument).
    explicit Heading(std::int64_t level, const std::vector<Markup>& children = {})
        : Heading(level, children, 0) {}
    template <MarkupRange R> Heading(std::int64_t level, const R& children) : Heading(level, children, 0) {}

    std::int64_t level() const { return _data.node().data().headingPayload().level; }
    /// Changes nothing for the level already stored; throws std::invalid_argument (changing nothing) for a
    /// level below 1.
    void setLevel(std::int64_t level) {
        if (level < 1) {
            throw std::invalid_argument("Heading::setLevel: level " + std::to_string(level) + " is below 1");
        }
        if (level != this->level()) {
            rebuildWithPayload(RawMarkupData::heading(level));
        }
    }

private:
    template <MarkupRange R>
    Heading(std::int64_t level, const R& children, int)
        : InlineContainerBase(
              buildRoot(RawMarkupData::heading(level),
                        checkedChildNodes(children, isInlineKind, "an inline element", elementName))) {}
};

class ThematicBreak : public Markup {
    QS_MARKDOWN_ELEMENT(ThematicBreak, thematicBreak, visitThematicBreak, Markup)

public:
    ThematicBreak() : Markup(buildRoot(RawMarkupData::withoutPayload(rawKind), {})) {}
};

} // namespace Markdown
