#pragma once

#include "Markdown/StructuralRestrictions/Containers.h"

#include <optional>
#include <string>

namespace Markdown {

/// A run of plain text, stored as given.
class Text : public Markup {
    QS_MARKDOWN_ELEMENT(Text, text, visitText, Markup)

public:
    explicit Text(std::string string = {}) : Markup(buildRoot(RawMarkupData::text(std::move(string)), {})) {}

    const std::string& string() const { return _data.node().data().stringPayload().value; }
    /// Always rebuilds.
    void setString(std::string string) { rebuildWithPayload(RawMarkupData::text(std::move(string))); }
    const std::string& plainText() const { return string(); }
};

/// A code span; the code without its backticks.
class InlineCode : public Markup {
    QS_MARKDOWN_ELEMENT(InlineCode, inlineCode, visitInlineCode, Markup)

public:
    explicit InlineCode(std::string code = {})
        : Markup(buildRoot(RawMarkupData::inlineCode(std::move(code)), {})) {}

    const std::string& code() const { return _data.node().data().stringPayload().value; }
    /// Always rebuilds.
    void setCode(std::string code) { rebuildWithPayload(RawMarkupData::inlineCode(std::move(code))); }
    /// The code between single backticks, whatever backticks it holds itself.
    std::string plainText() const { return "`" + code() + "`"; }
};

class InlineHTML : public Markup {
    QS_MARKDOWN_ELEMENT(InlineHTML, inlineHTML, visitInlineHTML, Markup)

public:
    explicit InlineHTML(std::string rawHTML = {})
        : Markup(buildRoot(RawMarkupData::inlineHTML(std::move(rawHTML)), {})) {}

    const std::string& rawHTML() const { return _data.node().data().stringPayload().value; }
    /// Always rebuilds.
    void setRawHTML(std::string rawHTML) {
        rebuildWithPayload(RawMarkupData::inlineHTML(std::move(rawHTML)));
    }
    const std::string& plainText() const { return rawHTML(); }
};

/// An inline node of a custom kind carrying a text; it changes only by replacing the node.
class CustomInline : public Markup {
    QS_MARKDOWN_ELEMENT(CustomInline, customInline, visitCustomInline, Markup)

public:
    explicit CustomInline(std::string text = {})
        : Markup(buildRoot(RawMarkupData::customInline(std::move(text)), {})) {}

    const std::string& text() const { return _data.node().data().stringPayload().value; }
    const std::string& plainText() const { return text(); }
};

class LineBreak : public Markup {
    QS_MARKDOWN_ELEMENT(LineBreak, lineBreak, visitLineBreak, Markup)

public:
    LineBreak() : Markup(buildRoot(RawMarkupData::withoutPayload(rawKind), {})) {}
    std::string plainText() const { return "\n"; }
};

class SoftBreak : public Markup {
    QS_MARKDOWN_ELEMENT(SoftBreak, softBreak, visitSoftBreak, Markup)

public:
    SoftBreak() : Markup(buildRoot(RawMarkupData::withoutPayload(rawKind), {})) {}
    std::string plainText() const { return " "; }
};

/// A reference to a symbol. Built with no destination it stores the empty string; the setter stores an
/// empty string as absent.
class SymbolLink : public Markup {
    QS_MARKDOWN_ELEMENT(SymbolLink, symbolLink, visitSymbolLink, Markup)

public:
    explicit SymbolLink(std::optional<std::string> destination = std::nullopt)
        : Markup(buildRoot(RawMarkupData::symbolLink(std::move(destination).value_or("")), {})) {}

    const std::optional<std::string>& destination() const {
        return _data.node().data().symbolLinkPayload().destination;
    }
    /// Always rebuilds.
    void setDestination(std::optional<std::string> destination) {
        if (destination && destination->empty()) {
            destination.reset();
        }
        rebuildWithPayload(RawMarkupData::symbolLink(std::move(destination)));
    }
    std::string plainText() const { return "``" + destination().value_or("") + "``"; }
};

} // namespace Markdown
