#pragma once

#include "Markdown/Walker/MarkupWalker.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Markdown {

/// What the HTML formatter reads out of the tree beyond plain Markdown.
struct HTMLFormatterOptions {
    std::uint64_t rawValue = 0;

    static constexpr std::uint64_t parseAsidesBit = 1;
    static constexpr std::uint64_t parseInlineAttributeClassBit = 2;
    /// Block quotes with a single-word tag ("Note: ...") become `<aside data-kind="Note">`.
    static HTMLFormatterOptions parseAsides() { return {parseAsidesBit}; }
    /// A `class` value in inline attributes becomes the span's class attribute.
    static HTMLFormatterOptions parseInlineAttributeClass() { return {parseInlineAttributeClassBit}; }

    bool contains(HTMLFormatterOptions other) const { return (rawValue & other.rawValue) == other.rawValue; }
    friend HTMLFormatterOptions operator|(HTMLFormatterOptions a, HTMLFormatterOptions b) {
        return {a.rawValue | b.rawValue};
    }
    friend bool operator==(HTMLFormatterOptions a, HTMLFormatterOptions b) = default;
};

/// Renders a tree as an HTML fragment. Text, code, and every attribute value are escaped (`& < > "`); raw
/// HTML nodes are copied as they stand. Headings hold their plain text only; images render without their
/// alternative text and links without their title.
class HTMLFormatter : public MarkupWalker<HTMLFormatter> {
public:
    explicit HTMLFormatter(HTMLFormatterOptions options = {}) : options(options) {}

    /// The HTML of `markup` and its subtree (any element, not only a document).
    static std::string format(const Markup& markup, HTMLFormatterOptions options = {});
    /// The HTML of a Markdown text, parsed with the default parse options (tables, strikethrough and task
    /// items on; no block directives).
    static std::string format(std::string_view markdown, HTMLFormatterOptions options = {});

    std::string result;
    HTMLFormatterOptions options;

    void visitBlockQuote(const BlockQuote& blockQuote);
    void visitCodeBlock(const CodeBlock& codeBlock);
    void visitHeading(const Heading& heading);
    void visitThematicBreak(const ThematicBreak& thematicBreak);
    void visitHTMLBlock(const HTMLBlock& html);
    void visitListItem(const ListItem& item);
    void visitOrderedList(const OrderedList& list);
    void visitUnorderedList(const UnorderedList& list);
    void visitParagraph(const Paragraph& paragraph);
    void visitTable(const Table& table);
    void visitTableHead(const TableHead& head);
    void visitTableBody(const TableBody& body);
    void visitTableRow(const TableRow& row);
    void visitTableCell(const TableCell& cell);
    void visitInlineCode(const InlineCode& code);
    void visitEmphasis(const Emphasis& emphasis);
    void visitStrong(const Strong& strong);
    void visitStrikethrough(const Strikethrough& strikethrough);
    void visitImage(const Image& image);
    void visitInlineHTML(const InlineHTML& html);
    void visitLineBreak(const LineBreak& lineBreak);
    void visitSoftBreak(const SoftBreak& softBreak);
    void visitLink(const Link& link);
    void visitText(const Text& text);
    void visitSymbolLink(const SymbolLink& symbolLink);
    void visitInlineAttributes(const InlineAttributes& attributes);

private:
    void printInline(std::string_view tag, const Markup& element);

    bool inTableHead_ = false;
    std::optional<Table::ColumnAlignments> tableColumnAlignments_;
    std::int64_t currentTableColumn_ = 0;
};

/// `text` with `&`, `<`, `>` and `"` written as character references.
std::string escapedForHTML(std::string_view text);

/// The `class` value of an inline-attribute text, read as the members of an object in a lenient JSON: keys
/// bare or quoted, strings in single or double quotes (`class: "note"`, `'class': 'note'`). Nothing when
/// the text is not such a list of members or has no string-valued `class`.
std::optional<std::string> inlineAttributeClass(std::string_view attributes);

} // namespace Markdown
