#pragma once

// Static double dispatch over the element types.
//
//     struct HeadingCounter : Markdown::MarkupWalker<HeadingCounter> {
//         int headings = 0;
//         void visitHeading(const Markdown::Heading& heading) { ++headings; descendInto(heading); }
//     };
//
// `visit(markup)` calls `markup.accept(visitor)`, which calls exactly the operation of the element's own type
// (`visitHeading`); each operation not supplied by the visitor falls back to `defaultVisit(markup)`. A
// visitor supplies any of these by declaring a member of the same name; calls always go through the most
// derived visitor, so its state persists across one traversal.

#include "Markdown/BlockNodes/BlockDirective.h"
#include "Markdown/BlockNodes/ContainerBlocks.h"
#include "Markdown/BlockNodes/Document.h"
#include "Markdown/BlockNodes/Doxygen.h"
#include "Markdown/BlockNodes/LeafBlocks.h"
#include "Markdown/BlockNodes/Table.h"
#include "Markdown/InlineNodes/InlineContainers.h"
#include "Markdown/InlineNodes/InlineLeaves.h"
#include "Markdown/Visitor/TraversalStack.h"

#include <stdexcept>

namespace Markdown {

template <class Derived, class Result> class MarkupVisitor {
public:
    using ResultType = Result;

    Result visit(const Markup& markup) { return markup.accept(derived()); }

    Result visitBlockQuote(const BlockQuote& element) { return fallback(element); }
    Result visitCodeBlock(const CodeBlock& element) { return fallback(element); }
    Result visitCustomBlock(const CustomBlock& element) { return fallback(element); }
    Result visitDocument(const Document& element) { return fallback(element); }
    Result visitHeading(const Heading& element) { return fallback(element); }
    Result visitThematicBreak(const ThematicBreak& element) { return fallback(element); }
    Result visitHTMLBlock(const HTMLBlock& element) { return fallback(element); }
    Result visitListItem(const ListItem& element) { return fallback(element); }
    Result visitOrderedList(const OrderedList& element) { return fallback(element); }
    Result visitUnorderedList(const UnorderedList& element) { return fallback(element); }
    Result visitParagraph(const Paragraph& element) { return fallback(element); }
    Result visitBlockDirective(const BlockDirective& element) { return fallback(element); }
    Result visitInlineCode(const InlineCode& element) { return fallback(element); }
    Result visitCustomInline(const CustomInline& element) { return fallback(element); }
    Result visitEmphasis(const Emphasis& element) { return fallback(element); }
    Result visitImage(const Image& element) { return fallback(element); }
    Result visitInlineHTML(const InlineHTML& element) { return fallback(element); }
    Result visitLineBreak(const LineBreak& element) { return fallback(element); }
    Result visitLink(const Link& element) { return fallback(element); }
    Result visitSoftBreak(const SoftBreak& element) { return fallback(element); }
    Result visitStrong(const Strong& element) { return fallback(element); }
    Result visitText(const Text& element) { return fallback(element); }
    Result visitStrikethrough(const Strikethrough& element) { return fallback(element); }
    Result visitTable(const Table& element) { return fallback(element); }
    Result visitTableHead(const TableHead& element) { return fallback(element); }
    Result visitTableBody(const TableBody& element) { return fallback(element); }
    Result visitTableRow(const TableRow& element) { return fallback(element); }
    Result visitTableCell(const TableCell& element) { return fallback(element); }
    Result visitSymbolLink(const SymbolLink& element) { return fallback(element); }
    Result visitInlineAttributes(const InlineAttributes& element) { return fallback(element); }
    Result visitDoxygenDiscussion(const DoxygenDiscussion& element) { return fallback(element); }
    Result visitDoxygenNote(const DoxygenNote& element) { return fallback(element); }
    Result visitDoxygenAbstract(const DoxygenAbstract& element) { return fallback(element); }
    Result visitDoxygenParameter(const DoxygenParameter& element) { return fallback(element); }
    Result visitDoxygenReturns(const DoxygenReturns& element) { return fallback(element); }

protected:
    Derived& derived() { return static_cast<Derived&>(*this); }

private:
    Result fallback(const Markup& element) { return derived().defaultVisit(element); }
};

template <class Visitor> auto Markup::accept(Visitor& visitor) const {
    switch (kind()) {
    case RawKind::codeBlock:
        return CodeBlock(_data).accept(visitor);
    case RawKind::heading:
        return Heading(_data).accept(visitor);
    case RawKind::htmlBlock:
        return HTMLBlock(_data).accept(visitor);
    case RawKind::listItem:
        return ListItem(_data).accept(visitor);
    case RawKind::orderedList:
        return OrderedList(_data).accept(visitor);
    case RawKind::blockDirective:
        return BlockDirective(_data).accept(visitor);
    case RawKind::inlineCode:
        return InlineCode(_data).accept(visitor);
    case RawKind::customInline:
        return CustomInline(_data).accept(visitor);
    case RawKind::image:
        return Image(_data).accept(visitor);
    case RawKind::inlineHTML:
        return InlineHTML(_data).accept(visitor);
    case RawKind::link:
        return Link(_data).accept(visitor);
    case RawKind::text:
        return Text(_data).accept(visitor);
    case RawKind::symbolLink:
        return SymbolLink(_data).accept(visitor);
    case RawKind::inlineAttributes:
        return InlineAttributes(_data).accept(visitor);
    case RawKind::table:
        return Table(_data).accept(visitor);
    case RawKind::tableCell:
        return TableCell(_data).accept(visitor);
    case RawKind::doxygenParam:
        return DoxygenParameter(_data).accept(visitor);
    case RawKind::blockQuote:
        return BlockQuote(_data).accept(visitor);
    case RawKind::customBlock:
        return CustomBlock(_data).accept(visitor);
    case RawKind::document:
        return Document(_data).accept(visitor);
    case RawKind::thematicBreak:
        return ThematicBreak(_data).accept(visitor);
    case RawKind::unorderedList:
        return UnorderedList(_data).accept(visitor);
    case RawKind::paragraph:
        return Paragraph(_data).accept(visitor);
    case RawKind::emphasis:
        return Emphasis(_data).accept(visitor);
    case RawKind::lineBreak:
        return LineBreak(_data).accept(visitor);
    case RawKind::softBreak:
        return SoftBreak(_data).accept(visitor);
    case RawKind::strong:
        return Strong(_data).accept(visitor);
    case RawKind::strikethrough:
        return Strikethrough(_data).accept(visitor);
    case RawKind::tableHead:
        return TableHead(_data).accept(visitor);
    case RawKind::tableBody:
        return TableBody(_data).accept(visitor);
    case RawKind::tableRow:
        return TableRow(_data).accept(visitor);
    case RawKind::doxygenDiscussion:
        return DoxygenDiscussion(_data).accept(visitor);
    case RawKind::doxygenNote:
        return DoxygenNote(_data).accept(visitor);
    case RawKind::doxygenAbstract:
        return DoxygenAbstract(_data).accept(visitor);
    case RawKind::doxygenReturns:
        return DoxygenReturns(_data).accept(visitor);
    }
    throw std::logic_error("Markup::accept: unknown node kind");
}

} // namespace Markdown
